#include "server/reply_writer.h"

#include <sys/socket.h>

#include <cerrno>

namespace plimod {

long ReplyWriter::Send(const char* data, std::size_t size) {
  started_ = true;
  if (sink_ != nullptr) {
    sink_->append(data, size);
    return static_cast<long>(size);
  }
  if (failed_ || fd_ < 0) return -1;
  std::size_t sent = 0;
  while (sent < size) {
    ssize_t n = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A peer that left (or stalled past the send time-out) gets nothing more.
      failed_ = true;
      return -1;
    }
    sent += static_cast<std::size_t>(n);
  }
  return static_cast<long>(sent);
}

}  // namespace plimod
