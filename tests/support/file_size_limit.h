#pragma once
// A full disk for the length of a scope: files of this process (and of the
// children it starts meanwhile) cannot grow past a few bytes, and a write
// past the limit fails instead of raising SIGXFSZ.

#include <signal.h>
#include <sys/resource.h>

namespace plimod::test {

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ok_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old_;
    small.rlim_cur = bytes;
    ok_ = ok_ && ::setrlimit(RLIMIT_FSIZE, &small) == 0;
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, oldHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  bool ok() const { return ok_; }

 private:
  struct rlimit old_ {};
  sighandler_t oldHandler_ = SIG_DFL;
  bool ok_ = false;
};

}  // namespace plimod::test
