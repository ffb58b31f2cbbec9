// Speed of the search over the demo EPG store and over one eight times as
// large (about 53,000 events): every event against 30 saved conditions
// (MatchAnySearchCondition), and one full search run (RunSearchCondition).
//
//   bench_search [rounds]
//
// Writes the demo folder (and the scaled one) with the project's writer,
// loads it through the real decoder module, then prints the least CPU time of the
// rounds.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/support/bench_demo.h"
#include "epg/search_match.h"
#include "epg/search_runner.h"
#include "platform/system_time.h"

namespace {

using namespace plimod;
using bench::LeastCpuMs;

constexpr int kDemoYear = 2025, kDemoMonth = 1, kDemoDay = 6;
constexpr int kScale = 8;

void Measure(const char* label, int rounds, bool perCallToo) {
  EpgEventMap& events = *EpgEventIndex;
  std::size_t matched = 0;
  const double matchAll = LeastCpuMs(rounds, [&] {
    const SearchConditionSet conditions = LoadSearchConditions(Settings());
    matched = 0;
    for (auto& [key, list] : events) {
      for (auto& [id, event] : list) matched += MatchAnySearchCondition(conditions, event);
    }
  });
  std::printf("%s: %zu services, %zu events\n", label, events.size(), bench::CountEvents());
  std::printf("  30 conditions over every event (MatchAnySearchCondition, conditions read once): "
              "%.1f ms (%zu matched)\n", matchAll, matched);
  if (perCallToo) {
    // The per-call form reads the 30 sections for every event; one round.
    const double perCall = LeastCpuMs(1, [&] {
      for (auto& [key, list] : events) {
        for (auto& [id, event] : list) MatchAnySearchCondition(event);
      }
    });
    std::printf("  the same, conditions read per call: %.1f ms\n", perCall);
  }
  std::size_t hits = 0;
  IniSection section(Settings());
  section.Select(L"SEARCH_04", false);  // a word over all three texts
  const double run = LeastCpuMs(rounds, [&] { hits = RunSearchCondition(section, 0).size(); });
  IniSection wide(Settings());
  wide.Select(L"SEARCH_01", false);
  std::size_t wideHits = 0;
  const double runWide = LeastCpuMs(rounds, [&] { wideHits = RunSearchCondition(wide, 0).size(); });
  std::printf("  RunSearchCondition SEARCH_04 (title+short+detail): %.1f ms (%zu hits)\n", run, hits);
  std::printf("  RunSearchCondition SEARCH_01 (title): %.1f ms (%zu hits)\n", runWide, wideHits);
}

bool LoadDemo(EpgStore& store, int scale) {
  const std::int64_t day = epgwriter::JapanSeconds(kDemoYear, kDemoMonth, kDemoDay);
  const std::string folder = bench::WriteScaledDemo(day, day, scale);
  if (folder.empty()) return false;
  const bool loaded = bench::LoadFolder(store, folder);
  std::filesystem::remove_all(folder);
  if (!loaded) std::fprintf(stderr, "bench_search: the demo folder did not load\n");
  return loaded;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  bench::UseDemoDayAsNow(kDemoYear, kDemoMonth, kDemoDay);
  bench::WriteConditions(Settings());
  {
    EpgStore store;
    if (!LoadDemo(store, 1)) return 1;
    Measure("demo store", rounds, true);
  }
  EpgStore big;
  if (!LoadDemo(big, kScale)) return 1;
  Measure("eight times the demo store (--scale 8)", rounds, false);
  return 0;
}
