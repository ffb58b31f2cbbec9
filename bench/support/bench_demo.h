#pragma once
// What the benchmarks share: the demo folder written `scale` times over and
// loaded into a store, the 30 saved search conditions users keep, and
// timings. The machine is shared, so the figure of record is the least CPU
// time of the calling thread over the rounds (system time included), which
// other programs' load hardly changes. Header-only; each benchmark is one
// program.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/epg_store.h"
#include "epg/search_condition.h"
#include "platform/system_time.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "tools/epgwriter/demo_data.h"
#include "tools/epgwriter/epg_description.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The least CPU time of this thread over the rounds, in milliseconds.
inline double LeastCpuMs(int rounds, const std::function<void()>& work) {
  double least = 0;
  for (int i = 0; i < rounds; ++i) {
    const double begin = ThreadCpuMs();
    work();
    const double spent = ThreadCpuMs() - begin;
    if (i == 0 || spent < least) least = spent;
  }
  return least;
}

// A fresh folder under /tmp with the demo written `scale` times over (see
// epgwriter --scale); empty on failure.
inline std::string WriteScaledDemo(std::int64_t day, std::int64_t now, int scale) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() /
      ("plimod-bench-" + std::to_string(getpid()) + "-" + std::to_string(scale));
  std::filesystem::create_directories(folder);
  std::string error;
  if (!epgwriter::WriteDemoFolder(folder.string(), day, now, 1, error, scale)) {
    std::fprintf(stderr, "writer: %s\n", error.c_str());
    std::filesystem::remove_all(folder);
    return {};
  }
  return folder.string();
}

// Points the settings at the folder and loads it (the index then shows it).
inline bool LoadFolder(plimod::EpgStore& store, const std::string& folder) {
  plimod::Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER",
                               std::wstring(folder.begin(), folder.end()) + L"/");
  plimod::ResetEpgFolderState();
  return plimod::LoadEpgFolder(store);
}

inline std::size_t CountEvents() {
  std::size_t events = 0;
  for (const auto& [key, list] : *plimod::EpgEventIndex) events += list.size();
  return events;
}

// The clock stands at the start of the demo day, so every programme lies
// ahead.
inline void UseDemoDayAsNow(int year, int month, int day) {
  plimod::SetClockForTesting([=] {
    plimod::SystemTime t;
    t.wYear = static_cast<decltype(t.wYear)>(year);
    t.wMonth = static_cast<decltype(t.wMonth)>(month);
    t.wDay = static_cast<decltype(t.wDay)>(day);
    return t;
  });
}

// 30 conditions of the kinds users keep: titles, several alternatives,
// "&" parts, texts beyond the title, genres, expressions, excluded words,
// days, hours and channel limits.
inline void WriteConditions(plimod::IniFile& settings) {
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
    const std::wstring section = plimod::SearchSectionName(static_cast<int>(i + 1));
    settings.SetInt(section.c_str(), L"ENABLE", 1);
    for (const auto& [key, value] : conditions[i]) settings.SetString(section.c_str(), key, value);
  }
}

}  // namespace bench
