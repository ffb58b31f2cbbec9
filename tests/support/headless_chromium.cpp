#include "tests/support/headless_chromium.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string_view>
#include <utility>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

namespace {

// The text as the page wrote it: the dump writes & < > as references.
std::string TextOfDom(std::string text) {
  for (const auto& [reference, character] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&amp;", "&"}}) {
    for (std::size_t at = text.find(reference); at != std::string::npos; at = text.find(reference, at + 1)) {
      text.replace(at, std::string_view(reference).size(), character);
    }
  }
  return text;
}

}  // namespace

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

std::map<std::string, std::string> ParseCheckReport(const std::string& dom) {
  std::map<std::string, std::string> values;
  const std::size_t begin = dom.find("<pre id=\"result\">");
  const std::size_t end = dom.find("</pre>", begin);
  if (begin == std::string::npos || end == std::string::npos) return values;
  std::istringstream lines(dom.substr(begin + 17, end - begin - 17));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = TextOfDom(line.substr(eq + 1));
  }
  return values;
}

int ReportNumber(const std::map<std::string, std::string>& report, const std::string& key) {
  const auto it = report.find(key);
  return it == report.end() ? -1 : std::atoi(it->second.c_str());
}

}  // namespace plimod::test
