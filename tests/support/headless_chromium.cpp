#include "tests/support/headless_chromium.h"

#include <unistd.h>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

std::string FindChromium() {
  for (const char* name : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (access(name, X_OK) == 0) return name;
  }
  return {};
}

std::string RunChromium(const std::string& chromium, const std::string& arguments, const std::string& url,
                        std::string& log) {
  const TempFolder profile("plimod-chromium");
  const std::filesystem::path errors = profile.File("stderr.txt");
  const std::string command = "timeout 120 " + chromium +
                              " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                              " --disable-background-networking --disable-component-update --disable-sync"
                              " --user-data-dir=" + profile.File("data").string() +
                              " --enable-logging=stderr --v=0 " + arguments + " '" + url + "' 2>" + errors.string();
  const std::string out = CommandOutput(command);
  log = ReadFileBytes(errors);
  return out;
}

}  // namespace plimod::test
