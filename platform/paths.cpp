#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

#include "platform/text_codec.h"

namespace plimod {
namespace {

std::string EnvValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string ExecutableFolder() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  const std::string exe(buf, static_cast<std::size_t>(n));
  const auto slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

}  // namespace

std::wstring ProgramDir() {
  std::string dir = EnvValue("PLIMOD_HOME");
  if (dir.empty()) {
    dir = ExecutableFolder();
  } else if (dir.back() != '/') {
    dir.push_back('/');
  }
  return Utf8ToWide(dir);
}

std::wstring DocumentsDir() {
  std::string dir = EnvValue("XDG_DOCUMENTS_DIR");
  if (dir.empty()) {
    const std::string home = EnvValue("HOME");
    if (home.empty()) return {};
    dir = home + (home.back() == '/' ? "" : "/") + "Documents";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return Utf8ToWide(dir);
}

}  // namespace plimod
