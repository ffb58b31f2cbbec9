// epgwriter --demo DIR [--date YYYY-MM-DD] [--repeat N] [--scale N]
// Writes the demo EPG data folder: eight days of programmes from the given
// day (today in Japan by default); the same day always gives the same
// programmes. --scale N writes N copies of the demo networks under other
// network, stream and service ids (a large store for benchmarks and tests).

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tools/epgwriter/demo_data.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kJapanOffset = 9 * 3600;

int Usage() {
  std::fprintf(stderr, "usage: epgwriter --demo DIR [--date YYYY-MM-DD] [--repeat N] [--scale N]\n");
  return 2;
}

bool ParseDate(const std::string& text, int64_t& day) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
  if (y < 1970 || y > 2099 || m < 1 || m > 12 || d < 1 || d > 31) return false;
  day = epgwriter::JapanSeconds(y, m, d);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::string date;
  int repetitions = 1;
  int scale = 1;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == "--demo") {
      folder = argv[++i];
    } else if (arg == "--date") {
      date = argv[++i];
    } else if (arg == "--repeat") {
      repetitions = std::atoi(argv[++i]);
      if (repetitions < 1 || repetitions > 1000) return Usage();
    } else if (arg == "--scale") {
      scale = std::atoi(argv[++i]);
      if (scale < 1 || scale > epgwriter::kMaxDemoScale) return Usage();
    } else {
      return Usage();
    }
  }
  if (folder.empty()) return Usage();

  int64_t now = static_cast<int64_t>(std::time(nullptr)) + kJapanOffset;
  int64_t day = now / kDay * kDay;
  if (!date.empty() && !ParseDate(date, day)) return Usage();
  if (now < day || now >= day + 8 * kDay) now = day;

  mkdir(folder.c_str(), 0755);
  std::string error;
  if (!epgwriter::WriteDemoFolder(folder, day, now, repetitions, error, scale)) {
    std::fprintf(stderr, "epgwriter: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
