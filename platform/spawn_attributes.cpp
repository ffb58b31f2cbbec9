#include "platform/spawn_attributes.h"

#include <signal.h>

namespace plimod {

SpawnAttributes::SpawnAttributes(short extraFlags) {
  posix_spawnattr_init(&attr_);
  sigset_t all;
  sigset_t none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr_, &all);
  posix_spawnattr_setsigmask(&attr_, &none);
  // Group 0: the child's own pid becomes its group id.
  posix_spawnattr_setpgroup(&attr_, 0);
  posix_spawnattr_setflags(&attr_, static_cast<short>(POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | extraFlags));
}

SpawnAttributes::~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }

}  // namespace plimod
