#include "tests/support/served_program.h"

#include <chrono>
#include <thread>

#include "tests/support/child_process.h"

namespace plimod::test {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

ServedProgram::ServedProgram(const std::string& prefix, const std::wstring& settings,
                             const std::vector<std::string>& checkPages)
    : home_(prefix, settings) {
  const fs::path source = PLIMOD_SOURCE_DIR;
  fs::copy(source / "public_html", Path() / "public_html", fs::copy_options::recursive);
  for (const std::string& page : checkPages) {
    fs::copy_file(source / page, Path() / "public_html" / fs::path(page).filename());
  }
}

ServedProgram::~ServedProgram() {
  if (pid_ > 0) StopProcess(pid_, 10s);
}

bool ServedProgram::Start() {
  if (pid_ > 0 || !home_.HasEpgData()) return false;
  pid_ = home_.Start();
  if (pid_ <= 0) return false;
  const auto end = std::chrono::steady_clock::now() + 60s;
  while (std::chrono::steady_clock::now() < end) {
    if (Fetch("/?mode=epg&day=" + Tomorrow()).find("<span class=title>") != std::string::npos) return true;
    std::this_thread::sleep_for(200ms);
  }
  return false;
}

}  // namespace plimod::test
