#pragma once
// Keeping the machine awake through the login manager: a block inhibitor
// held as a descriptor, let go by closing it. "sleep" keeps it from being
// put to sleep at all; "idle" only keeps its idle action (suspend after a
// quiet while) from running.

#include "platform/file.h"

namespace plimod {

enum class InhibitResult {
  kHeld,     // taken now, or held already
  kNoBus,    // no system bus to ask (containers, minimal systems)
  kRefused,  // the login manager said no, or did not answer in time
};

class SleepInhibitor {
 public:
  // `what` is the login manager's lock kind, a literal such as "sleep".
  explicit SleepInhibitor(const char* what = "sleep") : what_(what) {}
  InhibitResult Hold(const char* who, const char* why);
  void Release() { fd_.reset(); }
  bool Held() const { return fd_.valid(); }

 private:
  const char* what_;
  UniqueFd fd_;
};

}  // namespace plimod
