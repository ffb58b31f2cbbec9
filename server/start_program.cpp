#include "server/start_program.h"

#include <spawn.h>

#include <string>

#include "platform/file.h"
#include "platform/spawn_attributes.h"

extern char** environ;

namespace plimod {

pid_t StartProgramMinimized(std::wstring_view path) {
  if (path.empty()) return 0;
  std::string native = ToNativePath(path);
  // Default signal handling, so it can be asked to end with SIGTERM.
  const SpawnAttributes attributes(POSIX_SPAWN_SETSID);
  char* argv[] = {native.data(), nullptr};
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, native.c_str(), nullptr, attributes.get(), argv, environ);
  return failed == 0 ? pid : 0;
}

}  // namespace plimod
