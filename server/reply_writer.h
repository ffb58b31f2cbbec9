#pragma once
// Where a page writes its reply: a client socket, or a string (tests, and
// pages composed before sending). Pages write in the manner of a CGI program
// and the writer completes the HTTP/1.0 status line on the first chunk.

#include <cstddef>
#include <string>
#include <string_view>

namespace plimod {

class ReplyWriter {
 public:
  // Writes to a socket it does not own.
  explicit ReplyWriter(int socket_fd) : fd_(socket_fd) {}
  // Appends everything to `*sink`.
  explicit ReplyWriter(std::string* sink) : sink_(sink) {}
  // Sends what BufferOutput() collected.
  ~ReplyWriter();
  ReplyWriter(const ReplyWriter&) = delete;
  ReplyWriter& operator=(const ReplyWriter&) = delete;

  // Sends all bytes; the count sent, or -1 when the peer is gone. A
  // buffering writer counts bytes collected as sent and reports a gone peer
  // from the first send that fails.
  long Send(const char* data, std::size_t size);
  long Send(std::string_view text) { return Send(text.data(), text.size()); }

  // From now on a socket writer collects output and sends it 64 KiB at a
  // time, the rest at Flush() or when the writer is destroyed: pages write
  // in thousands of small pieces. Only for a writer that ends (or is
  // flushed) before its socket is closed.
  void BufferOutput() { buffering_ = sink_ == nullptr; }
  // Sends what was collected; false when the peer is gone.
  bool Flush();

  // True once anything was written (the status line belongs to the first chunk).
  bool Started() const { return started_; }
  // The socket, or -1 for a string writer.
  int Socket() const { return fd_; }

 private:
  bool SendNow(const char* data, std::size_t size);

  int fd_ = -1;
  std::string* sink_ = nullptr;
  bool started_ = false;
  bool failed_ = false;
  bool buffering_ = false;
  std::string pending_;
};

}  // namespace plimod
