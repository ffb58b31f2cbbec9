// The reservation lists loaded from the text-file recorder's files (real
// code page 932 bytes) and from the test reservation server: order, fields,
// cuts, tuner labels and the unrecordable verdicts of either side.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "recorder/base/page_turns.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_load.h"
#include "recorder/lists/reserve_list_patch.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"
#include "tests/support/eventually.h"
#include "util/keys.h"

namespace plimod {
namespace {

using test::WriteFileBytes;

// "ニュース７", "ＮＨＫ総合", "コメント", "ドラマ" in code page 932.
const std::string kNews = "\x83\x6a\x83\x85\x81\x5b\x83\x58\x82\x56";
const std::string kNhk = "\x82\x6d\x82\x67\x82\x6a\x91\x8d\x8d\x87";
const std::string kComment = "\x83\x52\x83\x81\x83\x93\x83\x67";
const std::string kDrama = "\x83\x68\x83\x89\x83\x7d";
// "表" ends in the byte of "\", a trap for a cut that looks at single bytes.
std::string Hyo(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += "\x95\x5c";
  return text;
}

constexpr std::uint64_t kGeneral = ServiceKey(32736, 32736, 1024);
constexpr std::uint64_t kEducation = ServiceKey(32736, 32736, 1032);
constexpr std::uint64_t kBs = ServiceKey(4, 16625, 101);

// A reservation line of 17 fields.
std::string Line(const std::string& date, const std::string& time, const std::string& duration,
                 const std::string& title, const std::string& station, std::uint64_t serviceKey, int eventId,
                 int reserveId, int recordMode = 1, const std::string& batch = "0",
                 const std::string& comment = "") {
  const std::string fields[] = {date, time, duration, title, station,
                                std::to_string(OnidOf(serviceKey)), std::to_string(TsidOf(serviceKey)),
                                std::to_string(SidOf(serviceKey)), std::to_string(eventId), "2", "1",
                                std::to_string(reserveId), std::to_string(recordMode), "1", batch, "0", comment};
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
  return line + "\r\n";
}

class ReserveListLoadTest : public test::RecorderTest {
 protected:
  ~ReserveListLoadTest() override {
    StopReserveListRefresh();
    PublishReserveLists(nullptr);
  }

  void WriteProgramTxt(const std::string& text) { WriteFileBytes(ProgramTxt(), text); }
  std::vector<int> Ids(const ReserveLists& lists) const {
    std::vector<int> ids;
    for (const ReserveEntry& entry : lists.reserveList) ids.push_back(entry.reserveId);
    return ids;
  }
};

TEST_F(ReserveListLoadTest, ProgramTxtLinesBecomeEntriesInFileOrder) {
  WriteProgramTxt(Line("2025/03/04", "21:00:00", "00:30:00", kNews, kNhk, kGeneral, 100, 12, 1, "\"C:\\a.bat\"",
                       kComment) +
                  Line("2025/03/04", "20:00:00", "01:02:03", kDrama, Hyo(16), kEducation, 200, 13, 5) +
                  "2025/03/04\t20:00:00\t01:00:00\tshort\tline\t1\t2\t3\t4\t0\t0\t14\t1\t0\t0\t0\r\n"
                  "\r\n" +
                  Line("2025/03/04", "20:30:00", "00:10:00", "x" + Hyo(128), "bs", kBs, 300, 15, 1, "5"));
  const ReserveSnapshot lists = LoadReserveList(settings_);
  EXPECT_EQ(CurrentReserveLists(), lists);
  ASSERT_EQ(Ids(*lists), (std::vector<int>{12, 13, 15}));

  const ReserveEntry& news = lists->reserveList[0];
  EXPECT_EQ(news.start.wYear, 2025);
  EXPECT_EQ(news.start.wDay, 4);
  EXPECT_EQ(news.start.wHour, 21);
  EXPECT_EQ(news.start.wDayOfWeek, 2);  // a Tuesday
  EXPECT_EQ(news.durationSeconds, 1800);
  EXPECT_EQ(news.title, kNews);
  EXPECT_EQ(news.station, kNhk);
  EXPECT_EQ(news.serviceKey, kGeneral);
  EXPECT_EQ(news.eventId, 100);
  EXPECT_EQ(news.priority, 2);
  EXPECT_EQ(news.follow, 1);
  EXPECT_EQ(news.pittari, 1);
  EXPECT_EQ(news.batch, 1);
  EXPECT_EQ(news.comment, kComment);
  EXPECT_EQ(news.tunerKey, kNoTunerKey);
  EXPECT_TRUE(news.tunerLabel.empty());

  const ReserveEntry& drama = lists->reserveList[1];
  EXPECT_EQ(drama.durationSeconds, 3723);
  EXPECT_TRUE(drama.Disabled());
  EXPECT_EQ(drama.batch, 0);
  EXPECT_EQ(drama.station, Hyo(15));  // 32 bytes cut to 30, not 31

  const ReserveEntry& bs = lists->reserveList[2];
  EXPECT_EQ(bs.title, "x" + Hyo(127));  // 257 bytes cut to 255
  EXPECT_EQ(bs.batch, 0);              // a one-character batch field is none

  EXPECT_EQ(FindReserve(*lists, kBs, 300), &bs);
  EpgEvent event;
  event.originalNetworkId = 32736;
  event.transportStreamId = 32736;
  event.serviceId = 1032;
  event.eventId = 200;
  EXPECT_EQ(FindReserveForEvent(*lists, event), &drama);
  EXPECT_EQ(event.displayFlags, 0xcu);
}

TEST_F(ReserveListLoadTest, ImpossibleDatesSkipOnlyTheirLines) {
  WriteProgramTxt(Line("2025/13/04", "20:00:00", "01:00:00", "a", "s", kGeneral, 1, 1) +
                  Line("2025/03/00", "20:00:00", "01:00:00", "b", "s", kGeneral, 2, 2) +
                  Line("2025/03/04", "25:00:00", "01:00:00", "c", "s", kGeneral, 3, 3) +
                  Line("2025/3/4", "20:00:00", "01:00:00", "d", "s", kGeneral, 4, 4) +
                  Line("2025/03/04", "20:00:00", "99999999:00:00", "e", "s", kGeneral, 5, 5) +
                  Line("2025/03/04", "20:00:00", "01:00:00", "f", "s", kEducation, 6, 6));
  const ReserveSnapshot lists = LoadReserveList(settings_);
  // "2025/3/4" is read at the fixed places 0, 5 and 8: month 3, day 0.
  EXPECT_EQ(Ids(*lists), (std::vector<int>{5, 6}));
  EXPECT_EQ(lists->reserveList[0].durationSeconds, 2147483647);
}

TEST_F(ReserveListLoadTest, CollisionsFollowTheTunerCountsOrTheDetectedOnes) {
  // Two overlapping terrestrial reservations and a disabled one beside them.
  WriteProgramTxt(Line("2025/03/04", "20:00:00", "01:00:00", "a", "s", kGeneral, 1, 1) +
                  Line("2025/03/04", "20:30:00", "01:00:00", "b", "s", kEducation, 2, 2) +
                  Line("2025/03/04", "20:40:00", "01:00:00", "c", "s", kEducation, 3, 3, 5));
  // The recorder's settings file of the fixture declares one terrestrial tuner.
  settings_.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"0,0,0");
  ReserveSnapshot lists = LoadReserveList(settings_);
  EXPECT_EQ(lists->unrecordableList, (std::vector<std::uint64_t>{ProgramKey(1, kGeneral), ProgramKey(2, kEducation)}));
  EXPECT_EQ(lists->tunerSlots[0].size(), 2u);

  settings_.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"2,0,0");
  lists = LoadReserveList(settings_);
  EXPECT_TRUE(lists->unrecordableList.empty());

  settings_.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"1,0,0");
  lists = LoadReserveList(settings_);
  EXPECT_EQ(lists->unrecordableList.size(), 2u);
  EXPECT_TRUE(IsUnrecordableProgram(*lists, ProgramKey(2, kEducation)));
  EXPECT_FALSE(IsUnrecordableProgram(*lists, ProgramKey(3, kEducation)));
}

TEST_F(ReserveListLoadTest, WithoutProgramTxtResultsAndRecorderReservationsAreListed) {
  // RecInfo.txt: 16 fields, the result in the last one.
  WriteFileBytes(File("RecInfo.txt"), "r\t" + kNews + "\t2025/03/01\t19:00:00\t00:30:00\t" + kNhk +
                                          "\t32736\t32736\t1024\t77\ta\tb\tc\td\te\t" + kComment + "\r\n");
  WriteFileBytes(File("Reserve.txt"), Line("2025/03/05", "20:00:00", "01:00:00", kDrama, kNhk, kEducation, 8, 21));
  const ReserveSnapshot lists = LoadReserveList(settings_);
  ASSERT_EQ(Ids(*lists), (std::vector<int>{0, 21}));
  EXPECT_EQ(lists->reserveList[0].title, kNews);
  EXPECT_EQ(lists->reserveList[0].comment, kComment);
  EXPECT_EQ(lists->reserveList[0].eventId, 77);
  EXPECT_EQ(lists->reserveList[1].title, kDrama);
}

TEST_F(ReserveListLoadTest, RecorderLinkOffFindsNoProgramTxt) {
  WriteProgramTxt(Line("2025/03/04", "20:00:00", "01:00:00", "a", "s", kGeneral, 1, 1));
  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_TRUE(LoadReserveList(settings_)->reserveList.empty());
}

SrvReserveData Reservation(std::uint32_t id, int hour, const std::wstring& title, std::uint16_t eventId) {
  SrvReserveData data;
  data.reserveId = id;
  data.title = title;
  data.station = L"ＮＨＫ総合";
  data.start = SystemTime{2025, 3, 0, 4, static_cast<std::uint16_t>(hour), 0, 0, 0};
  data.duration = 1800;
  data.originalNetworkId = 32736;
  data.transportStreamId = 32736;
  data.serviceId = 1024;
  data.eventId = eventId;
  return data;
}

SrvTunerReserve Tuner(std::uint32_t id, const std::wstring& name, std::vector<std::uint32_t> reserveIds) {
  return SrvTunerReserve{id, name, std::move(reserveIds)};
}

class ServerReserveListTest : public ReserveListLoadTest {
 protected:
  void SetUp() override {
    UseServerRecorder();
    ASSERT_TRUE(srv_.Start());
    test::FakeSrvState state;
    state.reservations = {Reservation(1, 19, L"ニュース７", 1), Reservation(2, 20, L"two", 2),
                          Reservation(3, 21, L"three", 3), Reservation(4, 22, L"four", 4),
                          Reservation(6, 18, L"six", 9)};
    state.reservations[0].setting.batchPath = L"C:\\a.bat";
    state.reservations[1].setting.batchPath = L"0";
    state.reservations[2].unrecordable = 1;
    state.reservations[3].station = L"ＢＳプレミアム４Ｋ放送ＢＳプレミアム";  // 36 bytes
    state.tuners = {Tuner(0, L"BonDriver_A.dll", {1}), Tuner(1, L"BonDriver_A.dll", {2}),
                    Tuner(0, L"BonDriver_B.dll", {3}), Tuner(0, L"BonDriver_C.DLL", {4})};
    SrvRecFileInfo result;
    result.resultId = 5;
    result.title = L"done";
    result.start = SystemTime{2025, 3, 0, 3, 20, 0, 0, 0};
    result.originalNetworkId = 32736;
    result.transportStreamId = 32736;
    result.serviceId = 1024;
    result.eventId = 9;
    state.results = {result};
    srv_.server().SetState(state);
  }

  test::ProgramSrvTestServer srv_;
};

TEST_F(ServerReserveListTest, ReservationsAndResultsGetTheirTunersInStartOrder) {
  const ReserveSnapshot lists = LoadReserveList(settings_);
  ASSERT_EQ(Ids(*lists), (std::vector<int>{-5, 6, 1, 2, 3, 4}));
  auto entry = [&](int id) { return *std::find_if(lists->reserveList.begin(), lists->reserveList.end(),
                                                  [id](const ReserveEntry& e) { return e.reserveId == id; }); };
  EXPECT_EQ(entry(1).tunerLabel, L"BonDriver_A(0)");
  EXPECT_EQ(entry(1).tunerKey, 0);
  EXPECT_EQ(entry(2).tunerLabel, L"BonDriver_A(1)");
  EXPECT_EQ(entry(2).tunerKey, 1);
  EXPECT_EQ(entry(3).tunerLabel, L"BonDriver_B");
  EXPECT_EQ(entry(3).tunerKey, 256);
  EXPECT_EQ(entry(4).tunerLabel, L"BonDriver_C.DLL");
  EXPECT_EQ(entry(6).tunerKey, kNoTunerKey);
  EXPECT_TRUE(entry(6).tunerLabel.empty());
  EXPECT_EQ(entry(-5).tunerKey, kNoTunerKey);
  EXPECT_TRUE(entry(-5).Disabled());  // a result without a file

  EXPECT_EQ(entry(1).title, kNews);
  EXPECT_EQ(entry(1).station, kNhk);
  EXPECT_EQ(entry(4).station.size(), 30u);
  EXPECT_EQ(entry(1).batch, 1);
  EXPECT_EQ(entry(2).batch, 0);
  EXPECT_EQ(entry(1).start.wDayOfWeek, 2);
  EXPECT_EQ(entry(3).unrecordable, 1);
  EXPECT_EQ(lists->unrecordableList, (std::vector<std::uint64_t>{ProgramKey(3, kGeneral)}));
  EXPECT_TRUE(lists->tunerSlots[0].empty());
  // The programme's earlier recording result is what a look-up finds.
  const ReserveEntry* found = FindReserve(*lists, kGeneral, 9);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->reserveId, -5);
}

test::ScriptedReply FailOnce() {
  test::ScriptedReply reply;
  reply.code = 0;
  reply.uses = 1;
  return reply;
}

TEST_F(ServerReserveListTest, AFailedLoadKeepsTheListAsLastLoadedAndTellsWhen) {
  const ReserveSnapshot good = LoadReserveList(settings_);
  ASSERT_EQ(good->reserveList.size(), 6u);
  EXPECT_FALSE(ReserveListLoadFailedAt());
  for (const std::uint32_t command : {1016u, 1011u, 1017u}) {
    srv_.server().Script(command, FailOnce());
    EXPECT_EQ(LoadReserveList(settings_), good) << command;
    EXPECT_EQ(CurrentReserveLists(), good) << command;
    EXPECT_TRUE(ReserveListLoadFailedAt()) << command;
  }
  EXPECT_EQ(good->unrecordableList.size(), 1u);
  EXPECT_EQ(LoadReserveList(settings_)->reserveList.size(), 6u);
  EXPECT_FALSE(ReserveListLoadFailedAt());
  // A page's change since stays through a load that fails on its last command.
  ApplyOwnReserveChange(settings_, [](ReserveLists& lists) { RemoveReserveEntry(lists, ProgramKey(2, kGeneral), 2); });
  srv_.server().Script(1017, FailOnce());
  EXPECT_EQ(Ids(*LoadReserveList(settings_)), (std::vector<int>{-5, 6, 1, 3, 4}));
  srv_.server().Stop();
  const ReserveSnapshot last = CurrentReserveLists();
  EXPECT_EQ(LoadReserveList(settings_), last);
  EXPECT_TRUE(ReserveListLoadFailedAt());
}

TEST_F(ServerReserveListTest, TheFirstLoadSinceStartThatFailsShowsAnEmptyListUntilOneGoesThrough) {
  srv_.server().Stop();
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  EXPECT_TRUE(ReserveListToShow(settings_)->reserveList.empty());
  EXPECT_TRUE(ReserveListLoadFailedAt());
  ASSERT_TRUE(srv_.Start());
  ReserveListChanged();
  EXPECT_TRUE(test::Eventually([] { return !ReserveListLoadFailedAt(); }));
  EXPECT_EQ(CurrentReserveLists()->reserveList.size(), 6u);
}

int FailedLoadsLogged(const test::TempFolder& home) {
  return test::TimesLogged(home, L"予約サーバの予約一覧を読めませんでした\n");
}

TEST_F(ServerReserveListTest, ARefusedListIsAFailedLoadLoggedOnceUntilALoadGoesThrough) {
  test::ScopedEnv home("PLIMOD_HOME", folder_.Path().c_str());
  ResetLogForTesting();
  SetLogSwitch([] { return true; });
  const auto loadRefused = [&] {
    test::ScriptedReply emptyRecords;
    emptyRecords.body = test::EmptyRecordList(1u << 20);
    emptyRecords.uses = 1;
    srv_.server().Script(1011, emptyRecords);
    (void)LoadReserveList(settings_);
  };
  ASSERT_EQ(LoadReserveList(settings_)->reserveList.size(), 6u);
  loadRefused();
  loadRefused();
  EXPECT_EQ(FailedLoadsLogged(folder_), 1);
  ASSERT_EQ(LoadReserveList(settings_)->reserveList.size(), 6u);
  loadRefused();
  EXPECT_EQ(FailedLoadsLogged(folder_), 2);
  EXPECT_EQ(srv_.server().BodiesOf(1011).size(), 5u);
}

TEST_F(ReserveListLoadTest, KeptListFollowsProgramTxtOnTheWorkerWhilePagesReadTheLastOne) {
  WriteProgramTxt(Line("2025/03/04", "20:00:00", "01:00:00", "a", "s", kGeneral, 1, 1));
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  EXPECT_EQ(Ids(*ReserveListToShow(settings_)), (std::vector<int>{1}));
  const ReserveSnapshot kept = ReserveListAsLoaded(settings_);
  EXPECT_EQ(ReserveListAsLoaded(settings_), kept) << "loaded again though nothing changed";

  WriteProgramTxt(Line("2025/03/04", "20:00:00", "01:00:00", "a", "s", kGeneral, 1, 1) +
                  Line("2025/03/04", "21:00:00", "01:00:00", "b", "s", kGeneral, 2, 2));
  // The first reader after the change gets the list as it was, at once.
  EXPECT_EQ(ReserveListAsLoaded(settings_), kept);
  EXPECT_TRUE(test::Eventually([&] { return Ids(*ReserveListAsLoaded(settings_)) == std::vector<int>{1, 2}; }));
}

TEST_F(ServerReserveListTest, ASlowServerKeepsHalfItsTimeAndNoReaderWaitsLongForIt) {
  srv_.server().DelayEveryReply(700);  // a load of three calls takes 2.1 s
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  const ReserveSnapshot first = ReserveListToShow(settings_);
  EXPECT_EQ(first->reserveList.size(), 6u);
  EXPECT_EQ(ReserveListAsLoaded(settings_), first);

  // One is deleted. The next load waits as long as the last one took, and
  // the server is free for others meanwhile.
  test::FakeSrvState state = srv_.server().State();
  state.reservations.pop_back();
  srv_.server().SetState(state);
  ReserveListChanged();
  WaitForReserveListLoadEnd(std::chrono::seconds(30));
  EXPECT_EQ(srv_.server().BodiesOf(1016).size(), 1u) << "the next load began at once";
  // A programme table takes the last list at once, and so does the list
  // page after this program's change; past 3 s the list page waits 2 s
  // for a load, then takes the last list too.
  EXPECT_EQ(ReserveListAsLoaded(settings_), first) << "a reader waited for the whole load";
  EXPECT_EQ(ReserveListToShow(settings_), first) << "the list page waited for a reload after a change";
  AgeKeptReserveListForTesting(std::chrono::seconds(5));
  EXPECT_EQ(ReserveListToShow(settings_), first) << "the list page waited past its 2 s";
}

TEST_F(ServerReserveListTest, TheStopEndsALoadWaitingForAPagesTurn) {
  srv_.server().DelayEveryReply(500);
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  ASSERT_TRUE(test::Eventually([&] { return !srv_.server().Requests().empty(); }));
  const PageServerTurn turn;  // a page's change that takes its time
  StopReserveListRefresh();
  EXPECT_TRUE(StartReserveListRefresh(settings_)) << "the stop left the worker waiting for the page";
}

TEST_F(ServerReserveListTest, FirstListShownAfterAQuietSpellIsLoadedAgain) {
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  ASSERT_EQ(ReserveListToShow(settings_)->reserveList.size(), 6u);
  // Another client deletes one; nobody has read the list for 5 s.
  test::FakeSrvState state = srv_.server().State();
  state.reservations.pop_back();
  srv_.server().SetState(state);
  AgeKeptReserveListForTesting(std::chrono::seconds(5));
  EXPECT_EQ(ReserveListToShow(settings_)->reserveList.size(), 5u);
}

ReserveSnapshot ListOf(const std::vector<int>& ids) {
  auto lists = std::make_shared<ReserveLists>();
  for (const int id : ids) {
    ReserveEntry& entry = lists->reserveList.emplace_back();
    entry.reserveId = id;
    entry.serviceKey = kGeneral;
    entry.eventId = static_cast<std::uint16_t>(id);
  }
  IndexReserveList(*lists);
  return lists;
}

TEST_F(ServerReserveListTest, AnOlderLoadNeverReplacesANewerOneNorUndoesAChangeMadeSince) {
  const ReserveListLoadTicket older = BeginReserveListLoad(settings_);
  const ReserveListLoadTicket newer = BeginReserveListLoad(settings_);
  EndReserveListLoad(newer, ListOf({1, 2}));
  EndReserveListLoad(older, ListOf({1}));
  EXPECT_EQ(Ids(*CurrentReserveLists()), (std::vector<int>{1, 2}));

  // This program deletes 2 and adds 3 while a load that began before runs.
  const ReserveListLoadTicket before = BeginReserveListLoad(settings_);
  ApplyOwnReserveChange(settings_, [](ReserveLists& lists) {
    RemoveReserveEntry(lists, ProgramKey(2, kGeneral), 2);
    InsertReserveEntry(lists, ListOf({3})->reserveList[0]);
  });
  EXPECT_EQ(Ids(*CurrentReserveLists()), (std::vector<int>{1, 3}));
  EndReserveListLoad(before, ListOf({1, 2}));
  EXPECT_EQ(Ids(*CurrentReserveLists()), (std::vector<int>{1, 3})) << "an older load undid the change";
  EXPECT_NE(FindReserve(*CurrentReserveLists(), kGeneral, 3), nullptr);
  // A load that began after the change is the server's word.
  const ReserveListLoadTicket after = BeginReserveListLoad(settings_);
  EndReserveListLoad(after, ListOf({1, 2, 4}));
  EXPECT_EQ(Ids(*CurrentReserveLists()), (std::vector<int>{1, 2, 4}));
}

}  // namespace
}  // namespace plimod
