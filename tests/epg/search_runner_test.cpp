#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "epg/search_runner.h"
#include "search_fixture.h"
#include "settings/ini_file.h"

namespace plimod::test {
namespace {

class SearchRunnerTest : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    now_ = *SystemTimeToTicks(At(2024, 5, 13, 12, 0));
  }
  void TearDown() override {
    SetClockForTesting({});
    SearchFixture::TearDown();
  }
  SearchCondition Word(const std::wstring& word) {
    Set(L"SEARCH_01", L"WORD", word);
    return ReadSearchCondition(Settings(), L"SEARCH_01", L"");
  }
  static SystemTime MinutesFromNoon(int minutes, int second = 0) {
    std::int64_t ticks = *SystemTimeToTicks(At(2024, 5, 13, 12, 0)) +
                         minutes * kTicksPerMinute + second * kTicksPerSecond;
    return *TicksToSystemTime(ticks);
  }

  std::int64_t now_ = 0;
};

TEST_F(SearchRunnerTest, StopsAtTheThousandthHitOfTheWalkAndOrdersByStart) {
  // Five terrestrial channels of 500 matching events each; starts repeat
  // so that the order of equal starts shows.
  const std::vector<std::uint16_t> sids = {0x400, 0x408, 0x410, 0x418, 0x420};
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"T0418H T0408H");
  for (std::uint16_t sid : sids) {
    for (std::uint16_t id = 1; id <= 500; ++id) {
      AddEvent(MakeEvent(TrKey(sid), id, L"drama", MinutesFromNoon((id * 37) % 700 + 1)));
    }
  }
  const std::vector<std::uint16_t> walk = {0x418, 0x408, 0x400, 0x410, 0x420};
  struct Expected {
    std::int64_t start;
    SearchHit key;
  };
  std::vector<Expected> expected;
  for (std::uint16_t sid : walk) {
    for (const auto& [id, event] : events_[TrKey(sid)]) {
      if (expected.size() < kMaxSearchHits)
        expected.push_back({EventStartTicks(event), ProgramKey(id, TrKey(sid))});
    }
  }
  std::stable_sort(expected.begin(), expected.end(),
                   [](const Expected& a, const Expected& b) { return a.start < b.start; });

  std::vector<SearchHit> hits = RunSearchCondition(Word(L"drama"), 0, now_);
  ASSERT_EQ(hits.size(), kMaxSearchHits);
  for (std::size_t i = 0; i < hits.size(); ++i) ASSERT_EQ(hits[i], expected[i].key) << i;
}

TEST_F(SearchRunnerTest, PastEventsAndEventsBeyondTheDaysAreLeftOut) {
  AddEvent(MakeEvent(TrKey(0x400), 1, L"drama", MinutesFromNoon(-1)));
  AddEvent(MakeEvent(TrKey(0x400), 2, L"drama", MinutesFromNoon(0)));
  AddEvent(MakeEvent(TrKey(0x400), 3, L"drama", MinutesFromNoon(24 * 60)));
  AddEvent(MakeEvent(TrKey(0x400), 4, L"drama", MinutesFromNoon(24 * 60, 1)));
  AddEvent(MakeEvent(TrKey(0x400), 5, L"comedy", MinutesFromNoon(5)));
  const SearchCondition drama = Word(L"drama");
  EXPECT_EQ(RunSearchCondition(drama, 1, now_),
            (std::vector<SearchHit>{ProgramKey(2, TrKey(0x400)), ProgramKey(3, TrKey(0x400))}));
  EXPECT_EQ(RunSearchCondition(drama, 0, now_).size(), 3u);
  EXPECT_EQ(RunSearchCondition(drama, -2, now_).size(), 3u);
}

TEST_F(SearchRunnerTest, SecondsDoNotReorderHitsOfOneMinute) {
  AddEvent(MakeEvent(TrKey(0x400), 1, L"drama", MinutesFromNoon(10, 50)));
  AddEvent(MakeEvent(BsKey(0x101), 1, L"drama", MinutesFromNoon(10, 5)));
  AddEvent(MakeEvent(TrKey(0x408), 1, L"drama", MinutesFromNoon(9, 59)));
  EXPECT_EQ(RunSearchCondition(Word(L"drama"), 0, now_),
            (std::vector<SearchHit>{ProgramKey(1, TrKey(0x408)), ProgramKey(1, TrKey(0x400)),
                                    ProgramKey(1, BsKey(0x101))}));
}

TEST_F(SearchRunnerTest, OnlyShownChannelsOfTheModesAndNeverTheOtherBand) {
  AddEvent(MakeEvent(TrKey(0x400), 1, L"drama", MinutesFromNoon(10)));
  AddEvent(MakeEvent(TrKey(0x408), 1, L"drama", MinutesFromNoon(10)));
  AddEvent(MakeEvent(BsKey(0x101), 1, L"drama", MinutesFromNoon(10)));
  AddEvent(MakeEvent(CsKey(0x202), 1, L"drama", MinutesFromNoon(10)));
  AddEvent(MakeEvent(OtherKey(0x303), 1, L"drama", MinutesFromNoon(10)));
  AddService(TrKey(0x410));  // a channel without events
  Set(L"VIEW", L"IGNORE_CHANNEL", L"T0408H");
  Set(L"SEARCH_01", L"CH_B_MODE", L"0");
  Set(L"SEARCH_01", L"CH_Z_MODE", L"7");
  EXPECT_EQ(RunSearchCondition(Word(L"drama"), 0, now_),
            (std::vector<SearchHit>{ProgramKey(1, TrKey(0x400)), ProgramKey(1, CsKey(0x202))}));
}

TEST_F(SearchRunnerTest, OneWalkForManyConditionsGivesEachConditionsOwnHits) {
  // "drama" fills its 1000 hits inside the first channel of the walk while
  // "news" keeps going; the second condition leaves BS out.
  for (std::uint16_t id = 1; id <= 1100; ++id) {
    AddEvent(MakeEvent(TrKey(0x400), id, id % 2 ? L"drama" : L"drama news", MinutesFromNoon(id % 50)));
  }
  AddEvent(MakeEvent(TrKey(0x408), 1, L"drama news", MinutesFromNoon(3)));
  AddEvent(MakeEvent(BsKey(0x101), 1, L"news", MinutesFromNoon(1)));
  std::vector<SearchCondition> conditions = {Word(L"drama")};
  Set(L"SEARCH_01", L"CH_B_MODE", L"0");
  conditions.push_back(Word(L"news"));
  const std::vector<std::vector<SearchHit>> hits = RunSearchConditions(conditions, 0, now_);
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].size(), kMaxSearchHits);
  EXPECT_EQ(hits[1].size(), 551u);
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    EXPECT_EQ(hits[i], RunSearchCondition(conditions[i], 0, now_)) << i;
  }
  EXPECT_TRUE(RunSearchConditions({}, 0, now_).empty());
}

TEST_F(SearchRunnerTest, SectionFormReadsTheClock) {
  AddEvent(MakeEvent(TrKey(0x400), 1, L"drama", MinutesFromNoon(10)));
  SetClockForTesting([] { return At(2024, 5, 13, 12, 30); });
  IniFile scratch;
  IniSection section(scratch);
  section.Select(L"dummy", true);
  section.SetString(nullptr, L"WORD", L"drama");
  EXPECT_TRUE(RunSearchCondition(section, 0).empty());
  SetClockForTesting([] { return At(2024, 5, 13, 12, 0); });
  EXPECT_EQ(RunSearchCondition(section, 0).size(), 1u);
}

}  // namespace
}  // namespace plimod::test
