// Speed of the search over the demo EPG store and over one eight times as
// large (about 53,000 events): every event against 30 saved conditions
// (MatchAnySearchCondition), and one full search run (RunSearchCondition).
//
//   bench_search [rounds]
//
// Writes the demo folder (and the scaled one) with the project's writer,
// loads it through the real decoder module, then prints the median of the
// rounds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/search_match.h"
#include "epg/search_runner.h"
#include "platform/system_time.h"
#include "settings/settings.h"
#include "tools/epgwriter/demo_data.h"
#include "tools/epgwriter/epg_description.h"
#include "util/keys.h"

namespace {

using namespace plimod;

constexpr int kDemoYear = 2025, kDemoMonth = 1, kDemoDay = 6;
constexpr int kScale = 8;

// 30 conditions of the kinds users keep: titles, several alternatives,
// "&" parts, texts beyond the title, genres, expressions, excluded words,
// days, hours and channel limits.
void WriteConditions(IniFile& settings) {
  const std::vector<std::vector<std::pair<const wchar_t*, const wchar_t*>>> conditions = {
      {{L"WORD", L"ニュース"}},
      {{L"WORD", L"ドラマ 映画"}, {L"EXCLUSIVEWORD", L"再放送"}},
      {{L"WORD", L"プロ野球&中継"}},
      {{L"WORD", L"アニメ"}, {L"SEARCH_EXPLANATION", L"1"}, {L"SEARCH_DETAIL", L"1"}},
      {{L"GENRE", L"ドキュメンタリー・教養"}},
      {{L"WORD", L"/^映画「.*」$/"}},
      {{L"WORD", L"刑事 事件"}, {L"WEEK", L"月火水"}},
      {{L"WORD", L"クラシック"}, {L"TIME", L"20,26"}},
      {{L"WORD", L"ＮＨＫ　ＢＳ"}},
      {{L"GENRE", L"アニメ・漫画"}, {L"WORD", L"劇場版"}},
      {{L"WORD", L"旅"}, {L"SEARCH_DETAIL", L"1"}, {L"CH_T_MODE", L"0"}},
      {{L"WORD", L"料理 グルメ"}, {L"SEARCH_EXPLANATION", L"1"}},
      {{L"WORD", L"サッカー"}, {L"CH_B_MODE", L"2"}, {L"CH_B_LIST", L"B0065H B0067H"}},
      {{L"WORD", L"天気"}, {L"SEARCH_EXPLANATION", L"1"}, {L"WEEK", L"土日"}},
      {{L"WORD", L"/第[0-9０-９]+話/"}, {L"SEARCH_TITLE", L"1"}},
      {{L"WORD", L"ライブ&音楽"}, {L"SEARCH_EXPLANATION", L"1"}},
      {{L"WORD", L"時代劇"}, {L"EXCLUSIVEWORD", L"ダイジェスト 総集編"}},
      {{L"WORD", L"相撲"}},
      {{L"WORD", L"クイズ バラエティ 笑い"}},
      {{L"GENRE", L"スポーツ"}, {L"TIME", L"0,11"}},
      {{L"WORD", L"将棋 囲碁"}, {L"SEARCH_DETAIL", L"1"}},
      {{L"WORD", L"ミステリー"}, {L"SEARCH_EXPLANATION", L"1"}, {L"SEARCH_DETAIL", L"1"}},
      {{L"WORD", L"どうぶつ 動物"}, {L"CH_C_MODE", L"0"}},
      {{L"WORD", L"洋画"}, {L"EXCLUSIVEWORD", L"/吹替/"}},
      {{L"WORD", L"マラソン 駅伝"}},
      {{L"WORD", L"ＳＡＫＡＧＡＭＩ　sakagami"}},
      {{L"WORD", L"歌謡&ステージ"}, {L"TIME", L"19,23"}},
      {{L"WORD", L"科学 宇宙 自然"}, {L"SEARCH_EXPLANATION", L"1"}},
      {{L"GENRE", L"趣味・教育 福祉"}, {L"WORD", L"講座"}},
      {{L"WORD", L"存在しない番組名"}, {L"SEARCH_DETAIL", L"1"}},
  };
  settings.SetInt(L"SYSTEM", L"CONDITIONCOUNT", static_cast<int>(conditions.size()));
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    const std::wstring section = SearchSectionName(static_cast<int>(i + 1));
    settings.SetInt(section.c_str(), L"ENABLE", 1);
    for (const auto& [key, value] : conditions[i]) settings.SetString(section.c_str(), key, value);
  }
}

double MedianMs(int rounds, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    auto begin = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

std::size_t CountEvents(const EpgEventMap& events) {
  std::size_t count = 0;
  for (const auto& [key, list] : events) count += list.size();
  return count;
}

void Measure(const char* label, int rounds, bool perCallToo) {
  EpgEventMap& events = *EpgEventIndex;
  std::size_t matched = 0;
  const double matchAll = MedianMs(rounds, [&] {
    const SearchConditionSet conditions = LoadSearchConditions(Settings());
    matched = 0;
    for (auto& [key, list] : events) {
      for (auto& [id, event] : list) matched += MatchAnySearchCondition(conditions, event);
    }
  });
  // The per-call form reads the 30 sections for every event; one round.
  const double perCall = !perCallToo ? 0 : MedianMs(1, [&] {
    for (auto& [key, list] : events) {
      for (auto& [id, event] : list) MatchAnySearchCondition(event);
    }
  });
  std::size_t hits = 0;
  IniSection section(Settings());
  section.Select(L"SEARCH_04", false);  // a word over all three texts
  const double run = MedianMs(rounds, [&] { hits = RunSearchCondition(section, 0).size(); });
  IniSection wide(Settings());
  wide.Select(L"SEARCH_01", false);
  std::size_t wideHits = 0;
  const double runWide = MedianMs(rounds, [&] { wideHits = RunSearchCondition(wide, 0).size(); });
  std::printf("%s: %zu services, %zu events\n", label, events.size(), CountEvents(events));
  std::vector<int> byNumber(31, 0);
  for (auto& [key, list] : events)
    for (auto& [id, event] : list) ++byNumber[std::min<std::size_t>(ConditionNumberOf(event), 30)];
  std::printf("  first matching condition:");
  for (int n = 1; n <= 30; ++n) std::printf(" %d:%d", n, byNumber[n]);
  std::printf("\n");
  std::printf("  MatchAnySearchCondition, every event, 30 conditions read once: %.1f ms (%zu matched)\n",
              matchAll, matched);
  if (perCallToo) {
    std::printf("  MatchAnySearchCondition, every event, conditions read per call: %.1f ms\n", perCall);
  }
  std::printf("  RunSearchCondition SEARCH_04 (title+short+detail): %.1f ms (%zu hits)\n", run, hits);
  std::printf("  RunSearchCondition SEARCH_01 (title): %.1f ms (%zu hits)\n", runWide, wideHits);
}

// Writes the demo folder `scale` times over and loads it; false on failure.
bool LoadDemo(EpgStore& store, int scale) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("plimod-bench-search-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::int64_t day = epgwriter::JapanSeconds(kDemoYear, kDemoMonth, kDemoDay);
  std::string error;
  if (!epgwriter::WriteDemoFolder(folder.string(), day, day, 1, error, scale)) {
    std::fprintf(stderr, "bench_search: %s\n", error.c_str());
    return false;
  }
  Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", folder.wstring() + L"/");
  ResetEpgFolderState();
  const bool loaded = LoadEpgFolder(store);
  std::filesystem::remove_all(folder);
  if (!loaded) std::fprintf(stderr, "bench_search: the demo folder did not load\n");
  return loaded;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  // The demo day's start is "now", so every programme lies ahead.
  SetClockForTesting([] {
    SystemTime t;
    t.wYear = kDemoYear;
    t.wMonth = kDemoMonth;
    t.wDay = kDemoDay;
    return t;
  });
  WriteConditions(Settings());
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
