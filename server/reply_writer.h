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
  ReplyWriter(const ReplyWriter&) = delete;
  ReplyWriter& operator=(const ReplyWriter&) = delete;

  // Sends all bytes; the count sent, or -1 when the peer is gone.
  long Send(const char* data, std::size_t size);
  long Send(std::string_view text) { return Send(text.data(), text.size()); }

  // True once anything was written (the status line belongs to the first chunk).
  bool Started() const { return started_; }
  // The socket, or -1 for a string writer.
  int Socket() const { return fd_; }

 private:
  int fd_ = -1;
  std::string* sink_ = nullptr;
  bool started_ = false;
  bool failed_ = false;
};

}  // namespace plimod
