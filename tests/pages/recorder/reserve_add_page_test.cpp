#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>

#include "pages/recorder/reserve_add_page.h"
#include "pages/recorder/reserve_form.h"
#include "platform/main_loop.h"
#include "platform/main_window.h"
#include "platform/recorder_windows.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_lists.h"
#include "services/syoboi_schedule.h"
#include "tests/pages/settings_page_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scripted_recorder_windows.h"
#include "util/conversions.h"

namespace plimod::test {
namespace {

constexpr std::uint16_t kSid = 0x400;
constexpr std::uint16_t kEid = 0x1234;

// The reservation page with the text-file recorder: its Program.txt and a
// recorder program that starts and ends at once, in the test's folder.
class ReserveAddPageTest : public SettingsPageFixture {
 protected:
  void SetUp() override {
    SettingsPageFixture::SetUp();
    SetSleeperForTesting([](std::uint32_t) {});
    UseRecorderWindows(std::make_unique<ScriptedRecorderWindows>());
    const auto recorder = folder_.File("recorder");
    std::filesystem::create_directories(recorder);
    WriteFileBytes(recorder / RecorderIni(), "[BonDriver_A.dll]\r\nMode=0\r\nCount=2\r\n");
    WriteFileBytes(recorder / "EpgTimer_Bon.exe", "#!/bin/sh\nexit 0\n");
    ::chmod((recorder / "EpgTimer_Bon.exe").c_str(), 0755);
    Set(L"EPGDATACAP", L"ENABLE", L"1");
    Set(L"EPGDATACAP", L"PROGRAMTXT", ProgramTxt().wstring());
    Set(L"EPGDATACAP", L"EPGTIMEREXE", (recorder / "EpgTimer_Bon.exe").wstring());
    DetectTuners(Settings());
    AddEvent();
  }
  void TearDown() override {
    PublishReserveLists(std::make_shared<ReserveLists>());
    UseRecorderWindows(nullptr);
    SetSleeperForTesting(nullptr);
    IniFile off;
    DetectTuners(off);
    SettingsPageFixture::TearDown();
  }

  virtual const char* RecorderIni() const { return "EpgTimer_Bon.ini"; }

  void AddEvent() {
    EpgEvent event;
    event.originalNetworkId = 0x7FE0;
    event.transportStreamId = 0x7FE0;
    event.serviceId = kSid;
    event.eventId = kEid;
    event.start = SystemTime{2026, 12, 4, 10, 21, 30, 0, 0};  // Thursday 10 December, 21:30
    event.durationSeconds = 3600 + 25 * 60 + 5;
    event.SetTitle(L"ニュース<速報>");
    event.SetShortText(L"説明&'");
    event.SetExtendedText(L"一行目\r\n二行目");
    events_[TrKey(kSid)][kEid] = event;
    ServiceMap[TrKey(kSid)] = L"テスト局";
  }

  // The lists as a load would give them with the event reserved.
  static void PublishTheEventReserved() {
    ReserveEntry entry;
    entry.serviceKey = TrKey(kSid);
    entry.eventId = kEid;
    auto lists = std::make_shared<ReserveLists>();
    lists->reserveList.push_back(entry);
    PublishReserveLists(lists);
  }

  std::filesystem::path ProgramTxt() const { return folder_.File("Program.txt"); }
  std::string ProgramTxtText() const { return Cp932ToUtf8(ReadFileBytes(ProgramTxt())); }
  static std::string Cp932ToUtf8(const std::string& bytes) { return WideToUtf8(Cp932ToWide(bytes)); }

  std::string Edc(const std::string& query) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "cmd=edc&sid=%llx&eid=%x&", static_cast<unsigned long long>(TrKey(kSid)), kEid);
    return Run(ServeReserveAddPage, ids + query);
  }
};

TEST_F(ReserveAddPageTest, IdsAloneShowTheFormWithTheProgrammesValuesAndNeverAdd) {
  Set(L"EPGDATACAP", L"PRIORITY", L"4");
  const std::string page = Edc("mode=station");
  EXPECT_TRUE(Contains(page, "<TITLE>EpgTimer_Bon予約設定</TITLE>\n</HEAD><BODY>\nEpgTimer_Bon予約設定<BR>\n"
                             "<form method=post action='/'>\n"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=cmd value='edc'>\n"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=mode value='station'>\n"));
  EXPECT_TRUE(Contains(page, "番組名 <input name=edc_title value='ニュース<速報>' size=120><BR>\n"
                             "局名　 <input name=edc_station value='テスト局' size=40><BR>\n"));
  EXPECT_TRUE(Contains(page, "<input name=edc_Y value='2026' size=4>/<input name=edc_M value='12' size=2>/"
                             "<input name=edc_D value='10' size=2>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_h value='21' size=2>:<input name=edc_m value='30' size=2>:"
                             "<input name=edc_s value='0' size=2>"));
  EXPECT_TRUE(Contains(page, "<input name=edc_ttl_h value='1' size=2>:<input name=edc_ttl_m value='25' size=2>:"
                             "<input name=edc_ttl_s value='5' size=2>"));
  EXPECT_TRUE(Contains(page, "<option value='4' selected=selected>"));
  // Texts of the programme are escaped; the extended text keeps its lines.
  EXPECT_TRUE(Contains(page, "局名：テスト局<BR>\n番組名：ニュース&lt;速報&gt;<BR>\n説明：説明&&#39;<BR>\n"
                             "詳細：<BR>\n一行目<BR>二行目</BODY></HTML>\n"));
  EXPECT_FALSE(std::filesystem::exists(ProgramTxt()));

  // An unknown programme (a link kept across an EPG update) is told so.
  EXPECT_EQ(Run(ServeReserveAddPage, "cmd=edc&sid=1&eid=2&q=1"),
            "HTTP/1.0 404 Not Found\nContent-Type: text/plain; charset=utf-8\n\n番組が見つかりません\n");
}

TEST_F(ReserveAddPageTest, QuickLinkAddsWithThePatternsValuesOnce) {
  // A change to the reservations makes the calendar upload due again.
  Set(L"SYOBOIUPLOAD", L"ENABLE", L"1");
  MainLoop loop([](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
  SetMainWindowHandle(&loop);
  Set(L"EDCBPATTERN_02", L"PRIORITY", L"5");
  Set(L"EDCBPATTERN_02", L"EXT2", L"/b/pattern.bat");
  Set(L"EDCBPATTERN_02", L"TITLETYPE", L"2");
  Set(L"EDCBPATTERN_02", L"TITLECOMMAND", L"[@TT]\t#@NB");
  Set(L"EDCBPATTERN_02", L"NUMBERING", L"7");
  const std::string page = Edc("q=1&pt=2");
  EXPECT_EQ(page, "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n<HTML><HEAD>\n\n<TITLE>EpgTimer_Bon予約設定</TITLE>\n"
                  "</HEAD><BODY>\n登録しました<BR>\n");
  // The template counts from a fixed 1 (its macro adds one) and the
  // stored counter is left alone.
  EXPECT_EQ(ProgramTxtText(),
            "2026/12/10\t21:30:00\t01:25:05\t[ニュース<速報>]##2\tテスト局\t32736\t32736\t1024\t4660"
            "\t5\t1\t0\t0\t0\t/b/pattern.bat\t0\t\r\n");
  EXPECT_EQ(Stored(L"EDCBPATTERN_02", L"NUMBERING"), L"7");
  EXPECT_EQ(loop.TimerPeriod(kSyoboiUploadTimer), 180'000u);
  SetMainWindowHandle(nullptr);

  // The second click finds it reserved.
  PublishTheEventReserved();
  EXPECT_EQ(Edc("q=1&pt=2"), "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nすでに予約されています \n");
  EXPECT_EQ(ProgramTxtText().size(), ProgramTxtText().find("\r\n") + 2);
}

TEST_F(ReserveAddPageTest, EveryAddPathRefusesAProgrammeThatHasALineAlready) {
  // Written by hand under another reserve id, not yet in the loaded list.
  const std::string before = "2026/12/10\t21:30:00\t01:25:05\tT\tS\t32736\t32736\t1024\t4660\t3\t1\t9\t0\t0\t0\t0\t\r\n";
  WriteFileBytes(ProgramTxt(), before);
  const std::string refused = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nすでに予約されています \n";
  EXPECT_EQ(Edc("silent=1"), refused);
  EXPECT_EQ(Edc("edc_title=T&edc_Y=2026&edc_M=12&edc_D=10&edc_h=21&edc_m=30"), refused);
  EXPECT_EQ(Edc("q=1"), refused);
  EXPECT_EQ(ProgramTxtText(), before);
}

TEST_F(ReserveAddPageTest, AShortWriteLeavesProgramTxtAsItWas) {
  const std::string before = "2026/12/10\t21:30:00\t01:25:05\tT\tS\t1\t2\t3\t4\t3\t1\t0\t0\t0\t0\t0\t";
  WriteFileBytes(ProgramTxt(), before);
  std::string reply;
  {
    // Room for the missing line end and part of the new line.
    ScopedFileSizeLimit full(before.size() + 40);
    ASSERT_TRUE(full.ok());
    reply = Edc("q=1");
  }
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nProgram.txtオープンエラー\n");
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  // The next add is whole.
  ASSERT_TRUE(Contains(Edc("q=1"), "登録しました<BR>\n"));
  EXPECT_EQ(ProgramTxtText(), before + "\r\n2026/12/10\t21:30:00\t01:25:05\tニュース<速報>\tテスト局\t32736\t32736\t1024"
                                       "\t4660\t3\t1\t0\t0\t0\t\t0\t\r\n");
}

TEST_F(ReserveAddPageTest, PostedFormAddsItsOwnValuesWithoutControlCharacters) {
  AddEvent();
  Settings().InsertIndexed(L"EDCB_BATCHLIST", -1, L"one.bat");
  Settings().InsertIndexed(L"EDCB_BATCHLIST", -1, L"two.bat");
  Settings().InsertIndexed(L"EDCB_BATCHLIST", -1, L"three.bat");
  const std::string page = Edc(
      "edc_title=A%09B%0D%0AC&edc_station=S&edc_Y=2026&edc_M=12&edc_D=31&edc_h=23&edc_m=59&edc_s=0"
      "&edc_ttl_h=0&edc_ttl_m=30&edc_ttl_s=0&edc_priority=2&edc_forrow=0&edc_recmode=1&edc_ext1=1&edc_ext2=3"
      "&edc_recdir=0&edc_postaction=2&edc_margin_enable=1&edc_margin_s=30");
  EXPECT_TRUE(Contains(page, "登録しました<BR>\n"));
  // One line; the text-file recorder gets none of the server's options.
  EXPECT_EQ(ProgramTxtText(), "2026/12/31\t23:59:00\t00:30:00\tA B  C\tS\t32736\t32736\t1024\t4660"
                              "\t2\t0\t0\t1\t1\tthree.bat\t0\t\r\n");
}

TEST_F(ReserveAddPageTest, AnAddThatFindsNoTunerWarnsFromTheSlotsCountedWithIt) {
  // 21:00 to 22:00 of another programme on the same channel.
  const std::string other = "2026/12/10\t21:00:00\t01:00:00\tT\tS\t32736\t32736\t1024\t17\t3\t1\t0\t0\t0\t0\t0\t\r\n";
  const std::string warning = "録画できない予約があります";
  for (const auto& [tuners, warned] : {std::pair{L"2,0,0", false}, std::pair{L"1,0,0", true}}) {
    Set(L"EPGDATACAP", L"TUNERCOUNT", tuners);
    WriteFileBytes(ProgramTxt(), other);
    PublishReserveLists(std::make_shared<ReserveLists>());
    EXPECT_EQ(Contains(Edc("q=1"), warning), warned) << WideToUtf8(tuners);
  }
}

TEST_F(ReserveAddPageTest, ImpossibleDatesAreRefusedBeforeTheRecorder) {
  for (const char* date : {"edc_M=13&edc_D=1&edc_h=0&edc_m=0", "edc_M=12&edc_D=0&edc_h=0&edc_m=0",
                           "edc_M=2&edc_D=30&edc_h=0&edc_m=0", "edc_M=12&edc_D=1&edc_h=25&edc_m=0",
                           "edc_M=12&edc_D=1&edc_h=0&edc_m=60", "edc_M=65549&edc_D=1&edc_h=0&edc_m=0"}) {
    EXPECT_EQ(Edc(std::string("edc_title=T&edc_Y=2026&") + date),
              "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nProgram.txtオープンエラー\n")
        << date;
  }
  EXPECT_FALSE(std::filesystem::exists(ProgramTxt()));
}

TEST_F(ReserveAddPageTest, ToggleOfAPatternWithUseInvalidFailsWithTheTextFileRecorder) {
  Set(L"EDCBPATTERN_01", L"USE_INVALID", L"1");
  PublishTheEventReserved();
  WriteFileBytes(ProgramTxt(), "2026/12/10\t21:30:00\t01:25:05\tT\tS\t32736\t32736\t1024\t4660\t3\t1\t0\t0\t0\t\t0\t\r\n");
  EXPECT_EQ(Edc("q=1&pt=1"), "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n予約情報更新失敗\n");
  // A missing pattern falls back to the defaults, which do not toggle.
  EXPECT_EQ(Edc("q=1&pt=9"), "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nすでに予約されています \n");
}

TEST_F(ReserveAddPageTest, NewReserveFormPostsToThisPage) {
  std::string reply;
  ReplyWriter out(&reply);
  RequestContext context;
  ScopedRequestContext scope(context);
  char query[64];
  std::snprintf(query, sizeof query, "sid=%llx&eid=%x", static_cast<unsigned long long>(TrKey(kSid)), kEid);
  ParseRequestText(query);
  WriteNewReserveForm(out, CurrentParameters(), Settings());
  EXPECT_TRUE(Contains(reply, "新規予約<BR>\nEpgTimer_Bon予約設定<BR>\n"));
  EXPECT_TRUE(Contains(reply, "<input type=hidden name=cmd value='edc'>\n"));
  EXPECT_TRUE(Contains(reply, "<BR><input type=submit value='submit'>\n</form>\n"));
  EXPECT_TRUE(Settings().HasSection(L"EPGDATACAP"));
}

// The same page with the reservation server (the test server under the
// program's names).
class ReserveAddPageSrvTest : public ReserveAddPageTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(srv_.Start());
    ReserveAddPageTest::SetUp();
    ASSERT_TRUE(EpgTimerSrvMode());
  }
  const char* RecorderIni() const override { return "EpgTimerSrv.ini"; }
  std::vector<SrvReserveData> Stored() { return srv_.server().State().reservations; }
  void PublishStored() {
    auto lists = std::make_shared<ReserveLists>();
    for (const SrvReserveData& row : Stored()) {
      ReserveEntry entry;
      entry.reserveId = static_cast<int>(row.reserveId);
      entry.serviceKey = TrKey(row.serviceId);
      entry.eventId = row.eventId;
      entry.recordMode = row.setting.recordMode;
      lists->reserveList.push_back(entry);
    }
    PublishReserveLists(lists);
  }

  ProgramSrvTestServer srv_;
};

TEST_F(ReserveAddPageSrvTest, PostedFormGoesToTheServerWithEveryOption) {
  Settings().InsertIndexed(L"EDCB_RECDIR", -1, L"/rec/first");
  Settings().InsertIndexed(L"EDCB_RECDIR", -1, L"/rec/second");
  Set(L"EPGDATACAP", L"EXT2", L"/b/default.bat");
  const std::string page = Edc(
      "edc_title=T%09itle&edc_station=S&edc_Y=2026&edc_M=12&edc_D=10&edc_h=21&edc_m=30&edc_s=0"
      "&edc_ttl_h=1&edc_ttl_m=2&edc_ttl_s=3&edc_priority=4&edc_forrow=0&edc_recmode=1&edc_ext1=1&edc_ext2=def"
      "&edc_recdir=1&edc_postaction=2&edc_resumerestart=1&edc_margin_enable=1&edc_margin_s=30&edc_margin_e=15"
      "&edc_service_flag=&edc_service_enable=1&edc_service_caption=1");
  EXPECT_TRUE(Contains(page, "登録しました<BR>\n")) << page;
  const auto stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  const SrvReserveData& row = stored[0];
  EXPECT_EQ(row.title, L"T itle");
  EXPECT_EQ(row.station, L"S");
  EXPECT_EQ(row.start.wDay, 10);
  EXPECT_EQ(row.start.wHour, 21);
  EXPECT_EQ(row.start.wMinute, 30);
  EXPECT_EQ(row.duration, 3723u);
  EXPECT_EQ(row.originalNetworkId, 0x7FE0);
  EXPECT_EQ(row.serviceId, kSid);
  EXPECT_EQ(row.eventId, kEid);
  EXPECT_EQ(row.setting.priority, 4);
  EXPECT_EQ(row.setting.follow, 0);
  EXPECT_EQ(row.setting.recordMode, 1);
  EXPECT_EQ(row.setting.pittari, 1);
  EXPECT_EQ(row.setting.batchPath, L"/b/default.bat");
  ASSERT_EQ(row.setting.folders.size(), 1u);
  EXPECT_EQ(row.setting.postAction, 2);
  EXPECT_EQ(row.setting.resumeRestart, 1);
  EXPECT_EQ(row.setting.marginEnable, 1);
  EXPECT_EQ(row.setting.marginStart, 30u);
  EXPECT_EQ(row.setting.marginEnd, 15u);
  EXPECT_EQ(row.setting.serviceFlags, 0x11u);
}

TEST_F(ReserveAddPageSrvTest, SecondQuickClickDeletesAndADisabledOneIsReplaced) {
  EXPECT_TRUE(Contains(Edc("q=1"), "登録しました<BR>\n"));
  ASSERT_EQ(Stored().size(), 1u);
  PublishStored();
  EXPECT_EQ(Edc("q=1"), "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n予約を削除しました \n");
  EXPECT_TRUE(Stored().empty());
  PublishStored();

  // A disabled reservation gives way to a new one.
  Edc("q=1");
  FakeSrvState state = srv_.server().State();
  state.reservations.at(0).setting.recordMode = 5;
  srv_.server().SetState(state);
  PublishStored();
  EXPECT_TRUE(Contains(Edc("q=1"), "登録しました<BR>\n"));
  ASSERT_EQ(Stored().size(), 1u);
  EXPECT_NE(Stored()[0].setting.recordMode, 5);
}

TEST_F(ReserveAddPageSrvTest, PatternWithUseInvalidTogglesTheReservation) {
  Edc("q=1");
  ASSERT_EQ(Stored().size(), 1u);
  ASSERT_EQ(Stored()[0].reserveId, 1u);
  // The toggle reads the reservation from the recorder's text files.
  WriteFileBytes(ProgramTxt(), "2026/12/10\t21:30:00\t01:25:05\tT\tS\t32736\t32736\t1024\t4660\t3\t1\t1\t1\t0\t\t0\t\r\n");
  Set(L"EDCBPATTERN_01", L"USE_INVALID", L"1");
  PublishStored();
  EXPECT_TRUE(Contains(Edc("q=1&pt=1"), "</HEAD><BODY>\n予約を無効にしました<BR>\n"));
  EXPECT_EQ(Stored()[0].setting.recordMode, 5);
  PublishStored();
  EXPECT_TRUE(Contains(Edc("q=1&pt=1"), "予約を有効（全サービス）にしました<BR>\n"));
  EXPECT_EQ(Stored()[0].setting.recordMode, 0);
  EXPECT_EQ(Stored().size(), 1u);
}

}  // namespace
}  // namespace plimod::test
