// The phone's search-hit page and one-off search on EPG files made by the
// project's writer and loaded through the real decoder module, whose texts
// carry the JIS forms of the wave dash and the minus.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "epg/epg_folder.h"
#include "epg/epg_store.h"
#include "pages/mobile/mobile_page.h"
#include "server/carry_over.h"
#include "tests/epg/epg_test_data.h"
#include "tests/pages/page_test_fixture.h"
#include "util/conversions.h"

namespace plimod::test {
namespace {

class MobileEpgFilesTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ResetEpgFolderState();
    SetNow(At(2026, 12, 10, 12, 0));  // a Thursday
    WriteFileBytes(data_.File("a_epg.dat"),
                   EpgFileBytes(MakeFile({MakeService(
                       0x0400, 0x01, u"局",
                       {MakeEvent(1, 2026, 12, 11, 1, 30, 30, u"深夜アニメ\u301Cニッポン"),  // 25:30 of the 10th
                        MakeEvent(2, 2026, 12, 10, 20, 0, 30, u"Ｕ\u2212２９"),
                        MakeEvent(3, 2026, 12, 10, 21, 0, 30, u"旅\uFF5E北へ"),
                        MakeEvent(4, 2026, 12, 10, 22, 0, 30, u"Ｘ\uFF0D１"),
                        MakeEvent(5, 2026, 12, 10, 23, 30, 120, u"長編")})})));
    const std::string folder = data_.Path().string();
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", std::wstring(folder.begin(), folder.end()));
  }
  void Load() {
    store_ = std::make_unique<EpgStore>(std::string(PLIMOD_BINARY_DIR) + "/bin/");
    ASSERT_TRUE(LoadEpgFolder(*store_));
  }
  void TearDown() override {
    PageTest::TearDown();
    store_.reset();
    ResetEpgFolderState();
  }

  std::string Phone(const std::string& query) {
    return Run([](ReplyWriter& out, RequestParameters&, IniFile&) { return ServeMobilePage(out); }, query);
  }
  std::string PhoneSearch(const std::wstring& word) {
    return Phone("spc=%E3%80%80&token=" + token_ + "&c=w&sh_title=1&sh_ch_T_mode=1&sh_word=" +
                 PercentEncodeValue(WideToUtf8(word)));
  }

  TempFolder data_{"plimod-mobile-epg"};
  std::unique_ptr<EpgStore> store_;
};

TEST_F(MobileEpgFilesTest, SearchHitPageListsALateNightHitOnItsBroadcastDay) {
  ASSERT_NO_FATAL_FAILURE(Load());
  // Typed with the code-page wave dash; the day and hour are those of the real start (Friday 01:30).
  Settings().SetString(L"SEARCH_01", L"ENABLE", L"1");
  Settings().SetString(L"SEARCH_01", L"WORD", L"アニメ\uFF5Eニッポン");
  Settings().SetString(L"SEARCH_01", L"WEEK", L"金");
  const std::string page = Phone("c=s&d=20261210");
  // The decoder gave the title the JIS wave dash (U+301C).
  EXPECT_TRUE(Contains(page, "<font>12/10木 25:30～</font> 局<br>"
                             "<a href='?c=s&sid=7fe07fe00400&eid=1'>深夜ｱﾆﾒ\u301Cﾆｯﾎﾟﾝ</a>"))
      << page;
  EXPECT_FALSE(Contains(Phone("c=s&d=20261211"), "eid=1'"));
}

TEST_F(MobileEpgFilesTest, TableListsTheProgrammesOfItsWindowAndTheOneRunningIntoIt) {
  ASSERT_NO_FATAL_FAILURE(Load());
  const std::string page = Phone("c=e&d=20261210&h=24");
  EXPECT_TRUE(Contains(page, "<font>12/10木 23:30～</font> 局<br><a href='?c=e&sid=7fe07fe00400&eid=5'>長編</a><br>\n"
                             "<font>12/10木 25:30～</font>"))
      << page;
  EXPECT_EQ(CountOf(page, "&eid="), 2);
  EXPECT_EQ(CountOf(Phone("c=e&d=20261210&h=20"), "&eid="), 3);  // 20:00, 21:00 and 22:00
}

// Programmes listed at one minute (here one running into the window and one
// starting with it) keep the order they are found in: channel by channel,
// and in a channel by event id, whatever their real starts.
TEST_F(MobileEpgFilesTest, TableListsProgrammesOfOneMinuteByChannelThenEventId) {
  WriteFileBytes(data_.File("a_epg.dat"),
                 EpgFileBytes(MakeFile({MakeService(0x0401, 0x01, u"一",
                                                    {MakeEvent(1, 2026, 12, 10, 21, 0, 30, u"始まる"),
                                                     MakeEvent(2, 2026, 12, 10, 20, 30, 60, u"続く")}),
                                        MakeService(0x0402, 0x01, u"二",
                                                    {MakeEvent(1, 2026, 12, 10, 20, 30, 60, u"続く"),
                                                     MakeEvent(2, 2026, 12, 10, 21, 0, 30, u"始まる")})})));
  ASSERT_NO_FATAL_FAILURE(Load());
  const std::string page = Phone("c=e&d=20261210&h=21");
  std::vector<std::string> listed;
  for (std::size_t at = page.find("&sid="); at != std::string::npos; at = page.find("&sid=", at + 1)) {
    listed.push_back(page.substr(at + 5, page.find('\'', at) - at - 5));
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"7fe07fe00401&eid=1", "7fe07fe00401&eid=2", "7fe07fe00402&eid=1",
                                              "7fe07fe00402&eid=2"}))
      << page;
}

TEST_F(MobileEpgFilesTest, WaveDashAndMinusFindTheirOtherForms) {
  ASSERT_NO_FATAL_FAILURE(Load());
  const struct {
    std::wstring word;
    const char* first;
    const char* second;
  } cases[] = {
      {L"\uFF5E", "eid=1'", "eid=3'"}, {L"\u301C", "eid=1'", "eid=3'"}, {L"~", "eid=1'", "eid=3'"},
      {L"\uFF0D", "eid=2'", "eid=4'"}, {L"-", "eid=2'", "eid=4'"},      {L"\u2212", "eid=2'", "eid=4'"},
  };
  for (const auto& one : cases) {
    const std::string page = PhoneSearch(one.word);
    EXPECT_TRUE(Contains(page, "ヒット数：2<BR>\n")) << WideToUtf8(one.word);
    EXPECT_TRUE(Contains(page, one.first) && Contains(page, one.second)) << WideToUtf8(one.word);
  }
}

TEST_F(MobileEpgFilesTest, OneOffSearchFoldsWithItsOwnDocumentsList) {
  ASSERT_NO_FATAL_FAILURE(Load());
  // The program's list (set after the load) would fold the word's 旅 away.
  Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"船旅");
  EXPECT_TRUE(Contains(PhoneSearch(L"旅"), "ヒット数：1<BR>\n"));
}

}  // namespace
}  // namespace plimod::test
