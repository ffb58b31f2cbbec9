// Speed of one automatic reservation pass over the demo EPG store (written
// SCALE times over, as epgwriter --scale) with the 30 conditions users
// keep, against the text-file recorder (a Program.txt in a temporary
// folder) or, with --server, the fake reservation server: the first pass,
// which reserves every hit, and a later one, which finds them all in the
// history and reserved.
//
//   bench_auto_reserve [rounds] [--scale SCALE] [--server]
//
// Prints the least CPU time of the rounds, and for the first pass also the
// wall time (the server's share of the work and the waits on it count
// there).

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/support/bench_demo.h"
#include "bench/support/bench_recorder.h"
#include "epg/search_condition.h"
#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "platform/system_time.h"
#include "recorder/lists/reserve_list_load.h"
#include "recorder/lists/reserve_lists.h"

namespace {

using namespace plimod;
using bench::LeastCpuMs;

constexpr int kDemoYear = 2025, kDemoMonth = 1, kDemoDay = 6;
constexpr int kConditions = 30;

void MoveConditionsToAutoReserve(IniFile& settings) {
  bench::WriteConditions(settings);
  for (int n = 1; n <= kConditions; ++n) {
    settings.RenameSection(SearchSectionName(n).c_str(), AutoReserveSectionName(n).c_str());
  }
  settings.SetInt(kAutoReserveSettings, L"AUTORESERVECOUNT", kConditions);
  settings.SetInt(kAutoReserveSettings, L"ENABLE", 1);
}

std::size_t Tokens(const IniFile& settings) {
  const std::wstring history = settings.GetString(kAutoReserveSettings, kAutoReserveHistoryKey).value_or(L"");
  return history.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(history.begin(), history.end(), L' '));
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 && argv[1][0] != '-' ? std::max(1, std::atoi(argv[1])) : 5;
  const int scale = std::max(1, bench::IntOption(argc, argv, "--scale", 1));
  const bool server = bench::FlagOption(argc, argv, "--server");
  bench::UseDemoDayAsNow(kDemoYear, kDemoMonth, kDemoDay);
  const std::int64_t day = epgwriter::JapanSeconds(kDemoYear, kDemoMonth, kDemoDay);
  const std::string folder = bench::WriteScaledDemo(day, day, scale);
  if (folder.empty()) return 1;
  EpgStore store;
  const bool loaded = bench::LoadFolder(store, folder);
  std::filesystem::remove_all(folder);
  if (!loaded) {
    std::fprintf(stderr, "bench_auto_reserve: the demo folder did not load\n");
    return 1;
  }
  IniFile& settings = Settings();
  MoveConditionsToAutoReserve(settings);
  bench::BenchRecorder recorder;
  if (server) {
    if (!recorder.UseServer(settings)) {
      std::fprintf(stderr, "bench_auto_reserve: the fake reservation server did not start\n");
      return 1;
    }
  } else {
    recorder.UseTextFile(settings);
  }

  // The server keeps what the first rounds added: only one first pass
  // there, against an empty server.
  double firstWall = 0;
  const double first = LeastCpuMs(server ? 1 : rounds, [&] {
    recorder.Clear(settings);
    const bench::Clock::time_point start = bench::Clock::now();
    RunAutoReserve(settings);
    const double wall = bench::MsSince(start);
    if (firstWall == 0 || wall < firstWall) firstWall = wall;
  });
  const std::size_t reserved = Tokens(settings);
  const double later = LeastCpuMs(rounds, [&] { RunAutoReserve(settings); });
  std::printf("demo store x%d: %zu services, %zu events, %d conditions, %s\n", scale, EpgEventIndex->size(),
              bench::CountEvents(), kConditions, server ? "fake reservation server" : "text file");
  std::printf("  first pass (reserves every hit): %.1f ms, wall %.1f ms (%zu reserved)\n", first, firstWall,
              reserved);
  std::printf("  later pass (every hit in the history): %.1f ms\n", later);
  return 0;
}
