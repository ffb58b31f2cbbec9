// The automatic reservation against the text-file recorder (a temporary
// Program.txt) and the reservation server (the test server), on a store
// loaded from the project's EPG files.
#include <gtest/gtest.h>

#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "recorder/base/reserve_row.h"
#include "tests/pages/auto_reserve/auto_reserve_fixture.h"
#include "tests/recorder/srv_test_server.h"

namespace plimod::test {
namespace {

std::wstring Token(std::uint64_t key, int condition) { return HistoryToken(key, condition); }

TEST(AutoReserveHistoryTokens, MatchOnlyAtATokenStart) {
  const std::wstring history = L"a0000000000000001_1 0000000000000002_3";
  EXPECT_EQ(FindHistoryToken(history, L"0000000000000001"), std::wstring::npos);
  EXPECT_EQ(FindHistoryToken(history, L"0000000000000002"), 20u);
  EXPECT_EQ(FindHistoryToken(history, L""), std::wstring::npos);

  std::wstring erased = L"0000000000000001_12 0000000000000009_3 0000000000000001_1";
  EXPECT_FALSE(EraseHistoryTokens(erased, L""));
  EXPECT_FALSE(EraseHistoryTokens(erased, L"000000000000001"));  // inside a token
  EXPECT_EQ(erased, L"0000000000000001_12 0000000000000009_3 0000000000000001_1");
  // The token of condition 1 also takes that of condition 0x12.
  EXPECT_TRUE(EraseHistoryTokens(erased, L"0000000000000001_1"));
  EXPECT_EQ(erased, L"0000000000000009_3");
  EXPECT_EQ(Token(0x1234, 300), L"0000000000001234_12c");
}

TEST(AutoReserveHistoryTokens, LookupAnswersAsTheStoredTextIsSearched) {
  // The first token of a key decides, even one without a number; tokens in
  // capitals or with the key inside them are no key's.
  const std::wstring history = L"0000000000000001_1c 0000000000000001_2 0000000000000002 0000000000000002_5 "
                               L"00000000000000AB_3 x0000000000000003_4 0000000000001234_12c 00000000000000045_6";
  IniFile settings;
  settings.SetString(kAutoReserveSettings, kAutoReserveHistoryKey, history);
  const HistoryLookup lookup = ReadHistoryLookup(history);
  for (const std::uint64_t key : {0x1ull, 0x2ull, 0xabull, 0xABull, 0x3ull, 0x1234ull, 0x4ull, 0x45ull, 0x9ull}) {
    const int stored = FindAutoReserveNoForKey(settings, static_cast<std::uint32_t>(key),
                                               static_cast<std::uint32_t>(key >> 32));
    EXPECT_EQ(ConditionOfKey(lookup, key), stored) << key;
    EXPECT_EQ(HistoryHasKey(lookup, key), FindHistoryToken(history, HistoryKeyText(key)) != std::wstring::npos)
        << key;
  }
  EXPECT_EQ(ConditionOfKey(lookup, 0x1), 0x1c);
  EXPECT_EQ(ConditionOfKey(lookup, 0x1234), 0x12c);
  EXPECT_TRUE(HistoryHasKey(lookup, 0x4));  // "...0004" begins "...00045"
}

TEST_F(AutoReserveTest, CountOutsideTheRangeGivesTwentyConditions) {
  for (const auto& [stored, count] : {std::pair{L"0", 20}, std::pair{L"1000", 20}, std::pair{L"999", 999}}) {
    Settings().SetString(L"EPGDATACAP", L"AUTORESERVECOUNT", stored);
    EXPECT_EQ(AutoReserveConditionCount(Settings()), count);
  }
}

TEST_F(AutoReserveTest, NewHitsAreReservedOnceAcrossPassesAndConditions) {
  AddCondition(1, L"ニュース");
  AddCondition(2, L"夜の");  // the evening news again
  Settings().SetString(L"AUTORESERVE_03", L"WORD", L"ドラマ");  // never enabled
  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 2);
  EXPECT_NE(ReadFileBytes(ProgramTxt()).find(WideToCp932(L"夜のニュース")), std::string::npos);
  EXPECT_EQ(History(), Token(kEveningNews, 1) + L" " + Token(kLateNews, 1));
  EXPECT_TRUE(Restarted());
  EXPECT_NE(SavedFile().find("AUTORESERVEHISTORY="), std::string::npos);
  EXPECT_EQ(FindAutoReserveNoForKey(Settings(), static_cast<std::uint32_t>(kLateNews),
                                    static_cast<std::uint32_t>(kLateNews >> 32)),
            1);

  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 2);
}

TEST_F(AutoReserveTest, ProgrammesReservedInTheRecorderAreLeftAlone) {
  AddCondition(1, L"ニュース");
  RunAutoReserve(Settings());
  ASSERT_EQ(ReservedLines(), 2);
  // Without the history the reservations in Program.txt still count.
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", L"");
  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 2);
  EXPECT_EQ(History(), L"");
}

TEST_F(AutoReserveTest, NothingWhenTheRecorderLinkIsOff) {
  AddCondition(1, L"ニュース");
  Settings().SetString(L"EPGDATACAP", L"ENABLE", L"0");
  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 0);
  EXPECT_EQ(SavedFile().find("AUTORESERVEHISTORY"), std::string::npos);
}

TEST_F(AutoReserveTest, DeletedReservationStaysDeletedUntilItsTokenGoes) {
  AddCondition(1, L"夜のニュース");
  RunAutoReserve(Settings());
  ASSERT_EQ(ReservedLines(), 1);
  std::filesystem::remove(ProgramTxt());  // the user deleted it
  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 0);

  // An empty or partial token removes nothing.
  EXPECT_TRUE(RemoveAutoReserveHistoryEntry(Settings(), ""));
  EXPECT_TRUE(RemoveAutoReserveHistoryEntry(Settings(), "07fe07fe00401"));
  EXPECT_EQ(History(), Token(kEveningNews, 1));
  EXPECT_TRUE(RemoveAutoReserveHistoryEntry(Settings(), WideToUtf8String(HistoryKeyText(kEveningNews))));
  EXPECT_EQ(History(), L"");
  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 1);
}

TEST_F(AutoReserveTest, TokensOfVanishedEventsGoAndHighConditionNumbersKeepTheirs) {
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVECOUNT", L"300");
  AddCondition(300, L"夜のニュース");
  const std::wstring vanished = Token(ProgramKey(0x99, kNewsServiceKey), 1);
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", vanished);
  RunAutoReserve(Settings());
  EXPECT_EQ(History(), Token(kEveningNews, 300));

  const AutoReserveHistory rebuilt = LoadAutoReserveHistory(Settings());
  EXPECT_EQ(rebuilt.pruned, Token(kEveningNews, 300));
  ASSERT_EQ(rebuilt.events.size(), 1u);
  EXPECT_EQ(FindAutoReserveNoForEvent(Settings(), rebuilt.events[0]), 300);
  std::filesystem::remove(ProgramTxt());
  RunAutoReserve(Settings());
  EXPECT_EQ(ReservedLines(), 0);
}

TEST_F(AutoReserveTest, HistoryListsLatestStartFirst) {
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY",
                       Token(kEveningNews, 1) + L"  " + Token(kLateNews, 2) + L" " + Token(ProgramKey(2, kNewsServiceKey), 1));
  const AutoReserveHistory history = LoadAutoReserveHistory(Settings());
  ASSERT_EQ(history.events.size(), 3u);
  EXPECT_EQ(history.events[0].eventId, 3);
  EXPECT_EQ(history.events[1].eventId, 2);
  EXPECT_EQ(history.events[2].eventId, 1);
}

TEST_F(AutoReserveTest, TemplateTitlesAdvanceTheNumberOncePerReservation) {
  AddCondition(1, L"ニュース", 2);
  Settings().SetString(L"AUTORESERVE_01", L"TITLECOMMAND", L"第@nb回");
  RunAutoReserve(Settings());
  const std::string program = ReadFileBytes(ProgramTxt());
  EXPECT_NE(program.find(WideToCp932(L"第2回")), std::string::npos);
  EXPECT_NE(program.find(WideToCp932(L"第3回")), std::string::npos);
  EXPECT_EQ(Settings().GetIntDefault(L"AUTORESERVE_01", L"NUMBERING", 0), 3);
}

TEST_F(AutoReserveTest, FailuresAreRetriedAndRestartNothing) {
  AddCondition(1, L"夜のニュース", 1);
  Settings().SetString(L"EPGDATACAP", L"PROGRAMTXT", recorder_.File("missing/Program.txt").wstring());
  RunAutoReserve(Settings());
  EXPECT_EQ(History(), L"");
  EXPECT_FALSE(Restarted());
  EXPECT_EQ(SavedFile().find("AUTORESERVEHISTORY"), std::string::npos);

  // A title change the text-file recorder cannot take restarts nothing.
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEUPDATE", L"1");
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", Token(kEveningNews, 1));
  ReserveLists lists;
  ReserveEntry entry;
  entry.serviceKey = kNewsServiceKey;
  entry.eventId = 1;
  entry.title = WideToCp932(L"古い題");
  lists.reserveList.push_back(entry);
  EXPECT_FALSE(RunAutoReservePass(Settings(), lists));
  EXPECT_FALSE(Restarted());
}

TEST_F(AutoReserveTest, AHistoryChangedWhileTheAddsAreSentKeepsTheChange) {
  AddCondition(1, L"夜のニュース");
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", Token(kLateNews, 2));
  AutoReserveSends sends = PlanAutoReservePass(Settings(), ReserveLists{});
  ASSERT_EQ(sends.adds.size(), 1u);
  // A page deletes the entry while the store is let go for the sends.
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", L"");
  EXPECT_TRUE(SendAutoReservePass(Settings(), std::move(sends)));
  EXPECT_EQ(History(), Token(kEveningNews, 1));
}

class AutoReserveServerTest : public AutoReserveTest {
 protected:
  void SetUp() override {
    AutoReserveTest::SetUp();
    UseRecorder("EpgTimerSrv.ini");
    ASSERT_TRUE(EpgTimerSrvMode());
    ASSERT_TRUE(srv_.Start());
  }
  ProgramSrvTestServer srv_;
};

TEST_F(AutoReserveServerTest, ARefusedHitStaysOutOfTheHistoryAndIsTriedAgainAndTheOthersAreReserved) {
  AddCondition(1, L"ニュース");
  srv_.server().RefuseTitle(L"深夜");
  RunAutoReserve(Settings());
  EXPECT_EQ(History(), Token(kEveningNews, 1));
  EXPECT_EQ(srv_.server().State().reservations.size(), 1u);
  srv_.server().RefuseTitle(L"");
  RunAutoReserve(Settings());
  EXPECT_EQ(History(), Token(kEveningNews, 1) + L" " + Token(kLateNews, 1));
  EXPECT_EQ(srv_.server().State().reservations.size(), 2u);
}

TEST_F(AutoReserveServerTest, TitleUpdateKeepsTheUsersOptions) {
  ReserveRow row;
  row.title = L"古い題";
  row.start = At(2026, 12, 10, 20, 0);
  row.duration = 1800;
  row.originalNetworkId = kOnid;
  row.transportStreamId = kTsid;
  row.serviceId = kNewsService;
  row.eventId = 1;
  row.priority = 5;
  row.recordMode = kRecordModeDisabled;
  row.marginStart = 90;
  ASSERT_EQ(SrvAddReservation(row, 1000), 0);
  std::vector<ReserveRow> rows;
  ASSERT_EQ(SrvEnumReservations(rows, 1000), 0);
  ASSERT_EQ(rows.size(), 1u);

  ReserveLists lists;
  ReserveEntry entry;
  entry.reserveId = rows[0].reserveId;
  entry.serviceKey = kNewsServiceKey;
  entry.eventId = 1;
  entry.title = WideToCp932(L"古い題");
  entry.recordMode = kRecordModeDisabled;
  lists.reserveList.push_back(entry);
  AddCondition(1, L"夜のニュース", 1);
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEHISTORY", Token(kEveningNews, 1));

  EXPECT_FALSE(RunAutoReservePass(Settings(), lists));  // updates are off
  Settings().SetString(L"EPGDATACAP", L"AUTORESERVEUPDATE", L"1");
  EXPECT_TRUE(RunAutoReservePass(Settings(), lists));

  ReserveRow stored;
  ASSERT_EQ(SrvGetReservation(static_cast<std::uint32_t>(entry.reserveId), stored, 1000), 0);
  EXPECT_EQ(stored.title, L"夜のニュース 今日の出来事");
  EXPECT_EQ(stored.recordMode, kRecordModeDisabled);
  EXPECT_EQ(stored.priority, 5);
  EXPECT_EQ(stored.marginStart, 90u);
  EXPECT_FALSE(std::filesystem::exists(ProgramTxt()));
}

}  // namespace
}  // namespace plimod::test
