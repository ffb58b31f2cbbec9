#pragma once
// The built program in a home of its own serving the tree's public_html and
// the check pages a browser suite adds to it; stopped when this goes.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_home.h"

namespace plimod::test {

class ServedProgram {
 public:
  // `checkPages` are paths in the source tree, copied into public_html.
  ServedProgram(const std::string& prefix, const std::wstring& settings, const std::vector<std::string>& checkPages);
  ~ServedProgram();
  ServedProgram(const ServedProgram&) = delete;
  ServedProgram& operator=(const ServedProgram&) = delete;

  // Starts the program; true once its programme table has titles (the
  // first EPG load is done), within a minute.
  [[nodiscard]] bool Start();

  const std::filesystem::path& Path() const { return home_.Path(); }
  std::string Url(const std::string& path) const { return home_.Url(path); }
  std::string Fetch(const std::string& path) const { return home_.Fetch(path); }

 private:
  ProgramHome home_;
  pid_t pid_ = 0;
};

}  // namespace plimod::test
