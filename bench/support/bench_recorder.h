#pragma once
// The recorder the benchmarks reserve in: the text-file recorder (a
// Program.txt in a temporary folder) or the fake reservation server run as
// a child process (fake_epgtimersrv beside the benchmark), and reservations
// of the hits of the saved search conditions made as the automatic
// reservation makes them, with their history tokens. Header-only.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "epg/epg_index.h"
#include "epg/search_condition.h"
#include "epg/search_runner.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/search/search_hit_preview.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/changes/reservations.h"
#include "recorder/lines/reserve_line.h"
#include "settings/ini_file.h"
#include "util/keys.h"

extern char** environ;

namespace bench {

// "--name value" from the command line, or `fallback`.
inline int IntOption(int argc, char** argv, std::string_view name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (name == argv[i]) return std::atoi(argv[i + 1]);
  }
  return fallback;
}

inline bool FlagOption(int argc, char** argv, std::string_view name) {
  for (int i = 1; i < argc; ++i) {
    if (name == argv[i]) return true;
  }
  return false;
}

class BenchRecorder {
 public:
  BenchRecorder()
      : folder_(std::filesystem::temp_directory_path() / ("plimod-bench-rec-" + std::to_string(getpid()))) {
    std::filesystem::create_directories(folder_);
  }
  ~BenchRecorder() {
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
    }
    std::filesystem::remove_all(folder_);
  }
  BenchRecorder(const BenchRecorder&) = delete;
  BenchRecorder& operator=(const BenchRecorder&) = delete;

  // Text-file mode: Program.txt in the folder, no recorder program to start.
  void UseTextFile(plimod::IniFile& settings) {
    settings.SetInt(L"EPGDATACAP", L"ENABLE", 1);
    settings.SetString(L"EPGDATACAP", L"PROGRAMTXT", ProgramTxt().wstring());
    settings.SetString(L"EPGDATACAP", L"EPGTIMEREXE", (folder_ / "missing").wstring());
    plimod::DetectTuners(settings);
  }

  // Server mode: the fake server, under names of this process only.
  bool UseServer(plimod::IniFile& settings) {
    setenv("EPGTIMER_PIPE_DIR", folder_.c_str(), 1);
    setenv("EPGTIMER_EVENT_PREFIX", ("plimodbench" + std::to_string(getpid()) + "_").c_str(), 1);
    const std::filesystem::path ini = folder_ / "EpgTimerSrv.ini";
    std::FILE* file = std::fopen(ini.c_str(), "wb");
    if (file == nullptr) return false;
    std::fputs("[BonDriver_A.dll]\r\nMode=0\r\nCount=4\r\n", file);
    std::fclose(file);
    settings.SetInt(L"EPGDATACAP", L"ENABLE", 1);
    settings.SetString(L"EPGDATACAP", L"EPGTIMEREXE", (folder_ / "EpgTimer_Bon.exe").wstring());
    plimod::DetectTuners(settings);
    return plimod::EpgTimerSrvMode() && StartServer();
  }

  void Clear(plimod::IniFile& settings) {
    std::filesystem::remove(ProgramTxt());
    settings.SetString(plimod::kAutoReserveSettings, plimod::kAutoReserveHistoryKey, L"");
  }

  std::filesystem::path ProgramTxt() const { return folder_ / "Program.txt"; }

 private:
  bool StartServer() {
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return false;
    self[n] = '\0';
    const std::string program = (std::filesystem::path(self).parent_path() / "fake_epgtimersrv").string();
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    char* args[] = {const_cast<char*>(program.c_str()), nullptr};
    const int failed = posix_spawn(&server_, program.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed != 0) {
      server_ = 0;
      close(out[0]);
      std::fprintf(stderr, "bench: cannot start %s\n", program.c_str());
      return false;
    }
    char ready[16] = {};
    const ssize_t got = read(out[0], ready, sizeof ready - 1);
    close(out[0]);
    return got > 0 && std::strncmp(ready, "ready", 5) == 0;
  }

  std::filesystem::path folder_;
  pid_t server_ = 0;
};

// Reserves up to `count` hits (all with a negative count) of the saved
// search conditions SEARCH_01.. over `days` days, each once, in condition
// order, and writes the history tokens the automatic reservation would
// have written. Returns how many were reserved.
inline int ReserveConditionHits(plimod::IniFile& settings, int count, int days) {
  using namespace plimod;
  const int conditions = settings.GetIntDefault(L"SYSTEM", L"CONDITIONCOUNT", 0);
  std::set<SearchHit> taken;
  std::wstring history;
  int reserved = 0;
  for (int n = 1; n <= conditions && (count < 0 || reserved < count); ++n) {
    IniSection section(settings);
    if (!section.Select(SearchSectionName(n).c_str(), false)) continue;
    for (const SearchHit hit : RunSearchCondition(section, days)) {
      if (count >= 0 && reserved >= count) break;
      const EpgEvent* event = FindHitEvent(hit);
      if (event == nullptr || !taken.insert(hit).second) continue;
      ReserveLine line;
      line.title = CutLineText(WideToCp932(event->Title()));
      if (const auto station = ServiceMap.find(ServiceKeyOf(hit)); station != ServiceMap.end()) {
        line.station = CutLineText(WideToCp932(station->second));
      }
      line.networkId = event->originalNetworkId;
      line.transportStreamId = event->transportStreamId;
      line.serviceId = event->serviceId;
      line.eventId = event->eventId;
      line.start = event->start;
      line.durationHours = static_cast<std::int32_t>(event->durationSeconds / 3600);
      line.durationMinutes = static_cast<std::int32_t>(event->durationSeconds / 60 % 60);
      line.durationSeconds = static_cast<std::int32_t>(event->durationSeconds % 60);
      line.postAction = 4;
      if (!AddReservation(settings, line)) continue;
      AppendHistoryToken(history, HistoryToken(hit, n));
      ++reserved;
    }
  }
  settings.SetString(kAutoReserveSettings, kAutoReserveHistoryKey, history);
  return reserved;
}

}  // namespace bench
