#pragma once
// A virtual X display for the GUI tests: Xvfb started on a free display
// number, stopped with the object.

#include <sys/types.h>

#include <string>

namespace plimod::testing {

class XvfbDisplay {
 public:
  XvfbDisplay();
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // ":N" once the server is ready; empty when it could not start (Why()).
  const std::string& Name() const { return name_; }
  const std::string& Why() const { return why_; }

 private:
  pid_t pid_ = -1;
  int readyFd_ = -1;
  std::string name_;
  std::string why_;
};

}  // namespace plimod::testing
