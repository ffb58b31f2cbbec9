#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/epg_store.h"
#include "platform/text_codec.h"
#include "server/reply_writer.h"
#include "server/request_context.h"
#include "server/request_token.h"
#include "services/syoboi_alert.h"
#include "services/syoboi_check_page.h"
#include "services/syoboi_schedule.h"
#include "settings/settings.h"
#include "tests/epg/epg_test_data.h"
#include "tests/support/fake_calendar.h"
#include "tests/support/file_bytes.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

namespace fs = std::filesystem;

const fs::path kFakeMailProgram = PLIMOD_SOURCE_DIR "/tests/fakes/mail/sendmail";
constexpr std::uint16_t kSid = 0x400;
const std::uint64_t kKey = ServiceKey(kOnid, kTsid, kSid);

std::int64_t Ticks(int month, int day, int hour, int minute) {
  return *SystemTimeToTicks(TimeOf(2026, month, day, hour, minute));
}

TEST(SyoboiAlertTimesTest, BroadcastDaysBeginAt5AndTheWindowEndsAtMidnightEightDaysOn) {
  EXPECT_EQ(BroadcastDayStart(Ticks(12, 11, 1, 30)), Ticks(12, 10, 5, 0));
  EXPECT_EQ(BroadcastDayStart(Ticks(12, 11, 4, 59)), Ticks(12, 10, 5, 0));
  EXPECT_EQ(BroadcastDayStart(Ticks(12, 11, 5, 0)), Ticks(12, 11, 5, 0));
  EXPECT_EQ(BroadcastDayStart(Ticks(12, 11, 23, 59)), Ticks(12, 11, 5, 0));
  EXPECT_EQ(AlertWindowEnd(Ticks(12, 10, 12, 34)), Ticks(12, 18, 0, 0));
  EXPECT_EQ(SyoboiAlertWordKey(42, 0x7FE07FE00400ull), L"42_7fe00400");
}

// A ProgItem of the calendar's reply on our station.
std::string Item(int pid, int tid, const std::string& start, const std::string& title,
                 const std::string& channel = "テレビ一", int channelId = 1) {
  return "<ProgItem PID=\"" + std::to_string(pid) + "\" TID=\"" + std::to_string(tid) + "\" StTime=\"" + start +
         "00\" EdTime=\"" + start + "30\" ChName=\"" + channel + "\" ChID=\"" + std::to_string(channelId) +
         "\" Count=\"7\" StOffset=\"0\"" +
         " SubTitle=\"sub\" Title=\"" + title + "\" ProgComment=\"note\" />";
}

// The station's EPG (made by the writer, read by the decoder) against a
// schedule from the fake calendar service, at 2026-12-10 12:00.
class SyoboiAlertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEpgFolderState();
    ResetSyoboiScheduleForTesting();
    Settings().Load(home_.File("plimo.ini").wstring(), true);  // empty, saved there
    ServiceMap.clear();
    Set(L"SYSTEM", L"EPGDATAFOLDER", data_.Path().wstring());
    Set(L"SYSTEM", L"SYOBOCAL_ENABLE", L"1");
    Set(L"SYSTEM", L"SYOBOCAL_USERNAME", L"user");
    Set(L"SYOBOI_ALERT", L"ENABLE", L"1");
    Set(L"SYOBOI_ALERT", L"EMAIL", L"tv@example.jp");
    Set(L"SYOBOI_ALERT", L"SENDMAILPATH", kFakeMailProgram.wstring());
    WriteFileBytes(data_.File("a_epg.dat"),
                   EpgFileBytes(MakeFile({MakeService(kSid, 0x01, u"テレビ一",
                                                      {
                                                          MakeEvent(1, 2026, 12, 10, 20, 0, 60, u"Alpha 1"),
                                                          MakeEvent(2, 2026, 12, 10, 21, 1, 30, u"Beta"),
                                                          MakeEvent(3, 2026, 12, 10, 23, 0, 30, u"Gamma"),
                                                          MakeEvent(4, 2026, 12, 11, 1, 30, 30, u"Gamma"),
                                                          MakeEvent(5, 2026, 12, 11, 6, 0, 30, u"Epsilon"),
                                                          MakeEvent(6, 2026, 12, 12, 20, 0, 30, u"Zeta"),
                                                          MakeEvent(7, 2026, 12, 12, 20, 30, 30, u"Zeta"),
                                                          MakeEvent(8, 2026, 12, 12, 22, 0, 30, u"Eta"),
                                                      })})));
    store_ = std::make_unique<EpgStore>(std::string(PLIMOD_BINARY_DIR) + "/bin/");
    ASSERT_TRUE(LoadEpgFolder(*store_));
    ASSERT_TRUE(fake_.Running());
    fake_.Reply(200, SyoboiReplyDocument({
                         Item(1, 10, "202612102000", "Alpha"),
                         Item(2, 20, "202612102100", "Beta"),
                         Item(3, 30, "202612110130", "Gamma"),
                         Item(4, 40, "202612110100", "Epsilon"),
                         Item(5, 50, "202612122000", "Zeta"),
                         Item(6, 50, "202612122030", "Zeta"),
                         Item(7, 60, "202612122200", "Eta"),
                         Item(8, 70, "202612122300", "Unknown", "Nowhere TV", 9),
                         Item(9, 20, "202612180000", "Beta"),  // the window's end: left out
                         Item(10, 20, "202612101100", "Beta"),  // past
                     }));
    for (const wchar_t* key : {L"10_7fe00400", L"20_7fe00400", L"30_7fe00400", L"40_7fe00400", L"50_7fe00400"}) {
      Set(L"SYOBOI_ALERT_WORD", key, L"");
    }
    Word(10, L"alpha");  // plain words are compared as titles are stored: folded
    Word(20, L"Beta");
    Word(30, L"/^ｇａｍｍａ$");
    Word(40, L"Epsilon");
    Word(50, L"Zeta");
  }
  void TearDown() override {
    store_.reset();
    ResetSyoboiScheduleForTesting();
    Settings().Clear();
    ServiceMap.clear();
    ResetEpgFolderState();
  }

  static void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    Settings().SetString(section, key, value);
  }
  static void Word(int tid, const std::wstring& word) {
    Set(L"SYOBOI_ALERT_WORD", SyoboiAlertWordKey(tid, kKey).c_str(), word);
  }

  std::vector<std::string> Mails() const {
    std::vector<std::string> mails;
    for (const auto& entry : fs::directory_iterator(mailStore_.Path())) {
      if (entry.path().extension() == ".mail") mails.push_back(ReadFileBytes(entry.path()));
    }
    return mails;
  }

  std::string Page() {
    std::string page;
    ReplyWriter out(&page);
    ServeSyoboiCheckPage(out, CurrentParameters(), Settings());
    return page;
  }

  FixedClock clock_{TimeOf(2026, 12, 10, 12, 0)};
  TempFolder data_{"alert-epg"};
  TempFolder home_{"alert-home"};
  TempFolder mailStore_{"alert-mails"};
  FakeCalendar fake_;
  ScopedEnv url_{"SYOBOCAL_URL", fake_.BaseUrl().c_str()};
  ScopedEnv noProxy_{"NO_PROXY", "*"};
  ScopedEnv programHome_{"PLIMOD_HOME", home_.Path().c_str()};
  ScopedEnv mailDir_{"FAKE_MAIL_DIR", mailStore_.Path().c_str()};
  std::unique_ptr<EpgStore> store_;
};

TEST_F(SyoboiAlertTest, TheRefreshMailsMovedMissingAndDuplicatedProgrammesOnce) {
  RefreshSyoboiPrograms(Settings());
  const std::string text = WideToCp932(
      L"1210(木) 21:00 テレビ一 Beta\n放送開始時間ズレ\n"
      L"1211(金) 01:00 テレビ一 Epsilon\n一致番組無し\n"
      L"1211(金) 01:30 テレビ一 Gamma\n同タイトル複数検出\n");
  EXPECT_EQ(Mails(), std::vector<std::string>{"To: tv@example.jp\nSubject: shobo ALERT\n\n" + text});

  // A failed fetch checks the schedule kept from before; all matching
  // mails nothing.
  fs::remove_all(mailStore_.Path());
  fs::create_directory(mailStore_.Path());
  Word(20, L"");
  Word(30, L"");
  Word(40, L"");
  fake_.Reply(500, "error");
  RefreshSyoboiPrograms(Settings());
  EXPECT_TRUE(Mails().empty());
  Word(40, L"Epsilon");
  Set(L"SYOBOI_ALERT", L"ENABLE", L"0");
  RefreshSyoboiPrograms(Settings());
  EXPECT_TRUE(Mails().empty());
}

TEST_F(SyoboiAlertTest, ThePageShowsEachComparisonAndSavesWords) {
  RefreshSyoboiPrograms(Settings());
  CurrentParameters().Reset("cmd=syoboialert");
  std::string page = Page();
  EXPECT_NE(page.find("<TITLE>しょぼかるデータ剥離チェック</TITLE>"), std::string::npos);
  EXPECT_NE(page.find("不明チャンネル<BR>\nNowhere TV　<BR>\n"), std::string::npos);
  EXPECT_EQ(page.find("Unknown"), std::string::npos);
  // Rows in start order, every second one shaded.
  const std::size_t alpha = page.find("<tr><td>12/10(木)<BR>20:00</td><td>テレビ一</td>"
                                      "<td><a href='http://cal.syoboi.jp/tid/10#1' target=_blank>Alpha</a>");
  const std::size_t beta = page.find("<tr bgcolor=#f0f0f0><td>12/10(木)<BR>21:00</td>");
  ASSERT_NE(alpha, std::string::npos);
  ASSERT_NE(beta, std::string::npos);
  EXPECT_LT(alpha, beta);
  EXPECT_NE(page.find("<td><a href='?sid=7fe07fe00400&eid=1' target=_blank>Alpha 1</a></td>"), std::string::npos);
  EXPECT_NE(page.find("<td bgcolor=#FF8080><a href='?sid=7fe07fe00400&eid=2' target=_blank>Beta</a>"
                      "<br><span style='font-size: 10px;'>12/10(木) 21:01:00</span></td>"),
            std::string::npos);
  EXPECT_NE(page.find("<td bgcolor=#FFFF00>一致番組無し </td>"), std::string::npos);
  EXPECT_NE(page.find("<td bgcolor=#FFFF00><a href='?sid=7fe07fe00400&eid=4' target=_blank>"), std::string::npos);
  EXPECT_NE(page.find("<td>Eta</td>"), std::string::npos);  // no word: the EPG title at that start
  EXPECT_NE(page.find("<span style='font-size: 10px;'>#07 sub</span> <span style='font-size: 10px;'>note</span>"),
            std::string::npos);
  EXPECT_NE(page.find("<input type=hidden name=tid value='20'><input type=hidden name=svkey value='7fe00400'>"
                      "<input name='word' value='Beta' size=16>"),
            std::string::npos);

  // A post without the token changes nothing; with it, an empty word
  // removes the key and the row shows the EPG title at the exact start.
  CurrentParameters().Reset("cmd=syoboialert&spc=%81%40&token=wrong&tid=20&svkey=7fe00400&word=");
  Page();
  EXPECT_EQ(Settings().GetString(L"SYOBOI_ALERT_WORD", L"20_7fe00400"), L"Beta");
  CurrentParameters().Reset("cmd=syoboialert&spc=1&token=" + MakeRequestToken() +
                            "&tid=20&svkey=7fe07fe00400&word=");
  page = Page();
  EXPECT_FALSE(Settings().HasKey(L"SYOBOI_ALERT_WORD", L"20_7fe00400"));
  EXPECT_NE(page.find("<td>12/10(木)<BR>21:00</td><td>テレビ一</td>"), std::string::npos);
  EXPECT_NE(page.find("</td><td>対応番組無し </td>"), std::string::npos);
  CurrentParameters().Reset("cmd=syoboialert&spc=1&token=" + GetRequestToken() + "&tid=20&svkey=7fe00400&word=B'e");
  page = Page();
  EXPECT_EQ(Settings().GetString(L"SYOBOI_ALERT_WORD", L"20_7fe00400"), L"B'e");
  EXPECT_NE(page.find("<input name='word' value='B&#39;e' size=16>"), std::string::npos);
}

}  // namespace
}  // namespace plimod::test
