#include "server/start_program.h"

#include <spawn.h>

#include <string>

#include "platform/file.h"

extern char** environ;

namespace plimod {

pid_t StartProgramMinimized(std::wstring_view path) {
  if (path.empty()) return 0;
  std::string native = ToNativePath(path);
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return 0;
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  char* argv[] = {native.data(), nullptr};
  pid_t pid = 0;
  int failed = posix_spawn(&pid, native.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  return failed == 0 ? pid : 0;
}

}  // namespace plimod
