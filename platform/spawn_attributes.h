#pragma once
// Attributes for posix_spawn of an outside program. This program ignores
// SIGPIPE and may block signals in its threads; ignored and blocked signals
// would carry over into the child, so every child starts with default
// handling and an empty mask.

#include <spawn.h>

namespace plimod {

class SpawnAttributes {
 public:
  // `extraFlags`: POSIX_SPAWN_SETSID, POSIX_SPAWN_SETPGROUP (a group of its
  // own, so the child and what it starts can be ended together) ...
  explicit SpawnAttributes(short extraFlags = 0);
  ~SpawnAttributes();
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  const posix_spawnattr_t* get() const { return &attr_; }

 private:
  posix_spawnattr_t attr_;
};

}  // namespace plimod
