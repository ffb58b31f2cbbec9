#include "server/reply_writer.h"

#include <sys/socket.h>

#include <cerrno>

namespace plimod {
namespace {

constexpr std::size_t kSendChunk = 64 * 1024;

}  // namespace

ReplyWriter::~ReplyWriter() { Flush(); }

long ReplyWriter::Send(const char* data, std::size_t size) {
  started_ = true;
  if (sink_ != nullptr) {
    sink_->append(data, size);
    return static_cast<long>(size);
  }
  if (failed_ || fd_ < 0) return -1;
  if (!buffering_) return SendNow(data, size) ? static_cast<long>(size) : -1;
  pending_.append(data, size);
  if (pending_.size() >= kSendChunk && !Flush()) return -1;
  return static_cast<long>(size);
}

bool ReplyWriter::Flush() {
  if (pending_.empty()) return !failed_;
  const bool sent = !failed_ && fd_ >= 0 && SendNow(pending_.data(), pending_.size());
  pending_.clear();
  return sent;
}

bool ReplyWriter::SendNow(const char* data, std::size_t size) {
  std::size_t sent = 0;
  while (sent < size) {
    ssize_t n = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A peer that left (or stalled past the send time-out) gets nothing more.
      failed_ = true;
      return false;
    }
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace plimod
