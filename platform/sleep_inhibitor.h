#pragma once
// Keeping the machine from going to sleep through the login manager: a
// "sleep" block inhibitor held as a descriptor, let go by closing it.

#include "platform/file.h"

namespace plimod {

enum class InhibitResult {
  kHeld,     // taken now, or held already
  kNoBus,    // no system bus to ask (containers, minimal systems)
  kRefused,  // the login manager said no, or did not answer in time
};

class SleepInhibitor {
 public:
  InhibitResult Hold(const char* who, const char* why);
  void Release() { fd_.reset(); }
  bool Held() const { return fd_.valid(); }

 private:
  UniqueFd fd_;
};

}  // namespace plimod
