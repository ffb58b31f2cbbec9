// The programme detail page and its iEPG files on a string writer: every
// `pd` reply, the reservation links, the host exports with a stand-in
// opener, and the iEPG bytes against files written by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "pages/detail/host_file_open.h"
#include "pages/detail/iepg_file.h"
#include "pages/detail/program_detail_page.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_lists.h"
#include "tests/pages/page_test_fixture.h"
#include "util/conversions.h"
#include "util/module_paths.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kTerrestrial = ServiceKey(0x7FE0, 0x7FE0, 0x0400);
constexpr std::uint64_t kBs = ServiceKey(0x0004, 0x4010, 101);
constexpr std::uint64_t kCs = ServiceKey(0x0006, 0x6020, 0x0200);
constexpr std::uint64_t kUnnamed = ServiceKey(0x7FE0, 0x7FE0, 0x0500);

std::string Expected(const std::string& name) {
  return ReadFileBytes(std::filesystem::path(PLIMOD_SOURCE_DIR) / "tests/pages/iepg" / name);
}

class ProgramDetailPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    AddService(kTerrestrial, L"ＮＨＫ総合・東京");
    AddService(kBs, L"ＢＳテスト");
    AddService(kCs, L"ＣＳ局");
    EpgEvent late = MakeEvent(kTerrestrial, 0x10, WithDayOfWeek(At(2026, 12, 10, 23, 45)), 30,
                              L"深夜の話\u301C特別編");
    late.SetNormalizedTitle(L"深夜の話~特別編");  // as the store would normalise it
    late.SetShortText(L"一行目\r\n二行目");
    late.SetExtendedText(L"詳しい<話>\r\n続き");
    AddEvent(late);
    EpgEvent brief = MakeEvent(kBs, 0x20, WithDayOfWeek(At(2026, 12, 10, 10, 0)), 0, L"短い番組");
    brief.durationSeconds = 61;
    brief.SetExtendedText(L"詳細だけ");
    AddEvent(brief);
    EpgEvent cs = MakeEvent(kCs, 0x30, WithDayOfWeek(At(2026, 12, 10, 12, 0)), 10, L"ＣＳの番組");
    cs.SetShortText(L"ＣＳの説明");
    AddEvent(cs);
    AddEvent(MakeEvent(kUnnamed, 0x40, WithDayOfWeek(At(2026, 12, 10, 12, 0)), 10));
    Set(L"IEPG_CH_NAME", ChannelKeyText(kTerrestrial).c_str(), L"地上テスト");
    PublishReserveLists(std::make_shared<ReserveLists>());
  }
  void TearDown() override {
    PublishReserveLists(std::make_shared<ReserveLists>());
    SetHostFileOpener(nullptr);
    IniFile off;
    DetectTuners(off);
    PageTest::TearDown();
  }

  // As the dispatcher calls it.
  std::string Detail(const std::string& query) {
    return Run(
        [](ReplyWriter& out, RequestParameters& p, IniFile&) {
          return ServeProgramDetailPage(out, p, ParseHex64(p.Value("sid")), ParseHex32(p.Value("eid")));
        },
        query);
  }

  void Reserve(std::uint64_t serviceKey, std::uint16_t eventId, std::int32_t recordMode) {
    auto lists = std::make_shared<ReserveLists>();
    ReserveEntry entry;
    entry.reserveId = 7;
    entry.serviceKey = serviceKey;
    entry.eventId = eventId;
    entry.recordMode = recordMode;
    lists->reserveList.push_back(entry);
    PublishReserveLists(lists);
  }
  void UseServerRecorder() {
    WriteFileBytes(recorder_.File("EpgTimerSrv.ini"), "[BonDriver_A.dll]\r\nMode=0\r\nCount=1\r\n");
    IniFile settings;
    settings.SetString(L"EPGDATACAP", L"ENABLE", L"1");
    settings.SetString(L"EPGDATACAP", L"EPGTIMEREXE", recorder_.File("EpgTimer_Bon.exe").wstring());
    DetectTuners(settings);
    ASSERT_TRUE(EpgTimerSrvMode());
  }

  TempFolder recorder_{"plimod-detail-recorder"};
};

TEST_F(ProgramDetailPageTest, IepgDownloadsMatchTheHandWrittenFiles) {
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10&pd=iepg"), Expected("terrestrial.tvpi"));
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10&pd=depg"), Expected("terrestrial.tvpid"));
  EXPECT_EQ(Detail("sid=440100065&eid=20&pd=iepg"), Expected("bs.tvpi"));
  EXPECT_EQ(Detail("sid=440100065&eid=20&pd=depg"), Expected("bs.tvpid"));
  EXPECT_EQ(Detail("sid=660200200&eid=30&pd=depg"), Expected("cs.tvpid"));
}

TEST_F(ProgramDetailPageTest, IepgEndTimes) {
  EpgEvent event = MakeEvent(kBs, 1, At(2026, 12, 10, 23, 59), 0);
  EXPECT_EQ(IepgEnd(event).hour * 100 + IepgEnd(event).minute, 2359);  // no duration: ends at the start
  event.durationSeconds = 60;
  EXPECT_EQ(IepgEnd(event).hour * 100 + IepgEnd(event).minute, 0);
  event.durationSeconds = 25 * 3600;
  EXPECT_EQ(IepgEnd(event).hour * 100 + IepgEnd(event).minute, 59);
}

TEST_F(ProgramDetailPageTest, IepgTextsAreCutOnACharacterBoundary) {
  EpgEvent event = MakeEvent(kBs, 1, At(2026, 12, 10, 10, 0), 1, L"a" + std::wstring(300, L'長'));
  const std::string body = TvpiBody(event, kBs, Settings());
  const std::size_t start = body.find("program-title: ") + 15;
  EXPECT_EQ(body.find("\r\n", start) - start, 511u);  // "a" and 255 two-byte characters
}

TEST_F(ProgramDetailPageTest, PopupFragments) {
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10&pd=detail"),
            "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n詳しい&lt;話&gt;<BR>続き");
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10&pd=explan"),
            "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n一行目<BR>二行目<HR>\n詳しい&lt;話&gt;<BR>続き");
  EXPECT_EQ(Detail("sid=440100065&eid=20&pd=explan"),
            "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n詳細だけ");
}

TEST_F(ProgramDetailPageTest, UnknownProgrammeOrUnnamedServiceIsAnsweredNotFound) {
  const std::string notFound =
      "HTTP/1.0 404 Not Found\nContent-Type: text/plain; charset=utf-8\n\n番組が見つかりません\n";
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=99"), notFound);
  EXPECT_EQ(Detail("sid=7fe07fe00999&eid=10&pd=iepg"), notFound);
  EXPECT_EQ(Detail("sid=7fe07fe00500&eid=40"), notFound);
  EXPECT_NE(Detail("sid=7fe07fe00500&eid=40&pd=depg"), "");
}

TEST_F(ProgramDetailPageTest, FullPageRowsAndLinks) {
  const std::string page = Detail("sid=7fe07fe00400&eid=10");
  EXPECT_EQ(page.find("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n<HTML><HEAD>\n\n"
                      "<TITLE>深夜の話\u301C特別編</TITLE>\n<META HTTP-EQUIV="),
            0u)
      << page;
  EXPECT_NE(page.find("plx.css' media='screen' type='text/css'>\n</HEAD><BODY>\n<table border=0><tbody>\n"
                      "<tr><td valign=top>日時</td><td>2026/12/10(木) 23:45:00～00:15:00 (30分)</td></tr>\n"
                      "<tr><td valign=top><nobr>番組名</nobr></td><td>深夜の話\u301C特別編</td></tr>\n"
                      "<tr><td valign=top>局名</td><td>ＮＨＫ総合・東京</td></tr>\n"
                      "<tr><td valign=top>説明</td><td>\n一行目<BR>二行目</td></tr>\n"
                      "<tr><td valign=top>詳細</td><td>\n詳しい&lt;話&gt;<BR>続き</td></tr>\n</tbody></table>\n"
                      "<hr>予約　<a href='?sid=7fe07fe00400&eid=10&pd=iepg'>iEPG</a>"
                      "　<a href='?sid=7fe07fe00400&eid=10&pd=depg'>iEPGデジタル</a>"
                      "　<a href='?sid=7fe07fe00400&eid=10&pd=iepgh'>iEPG(ホスト)</a>"
                      "　<a href='?sid=7fe07fe00400&eid=10&pd=depgh'>iEPGデジタル(ホスト)</a>"
                      " / <a href='?cmd=nrc&sid=7fe07fe00400'>ネットワークリモコン</a>"
                      "　<a href='?cmd=search&sh_idx=0&sid=7fe07fe00400&eid=10'>検索条件に登録</a><BR>\n"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.find("検索条件:No."), std::string::npos);
  EXPECT_EQ(page.find("自動予約に登録"), std::string::npos);
  EXPECT_EQ(page.find("<HR>"), std::string::npos);
  EXPECT_EQ(page.find("</HTML>"), std::string::npos);
}

TEST_F(ProgramDetailPageTest, ConditionNumberMarksItsWordsAndLinksToIt) {
  Set(L"SEARCH_03", L"WORD", L"特別");
  Set(L"SEARCH_03", L"SEARCH_TITLE", L"1");
  const std::string page = Detail("sid=7fe07fe00400&eid=10&cn=3");
  EXPECT_NE(page.find("<td>深夜の話\u301C<font class=marker>特別</font>編</td>"), std::string::npos) << page;
  EXPECT_NE(page.find("</tbody></table>\n<a href='?cmd=search&sh_idx=3'>検索条件:No.3</a><br>\n<hr>予約"),
            std::string::npos);
  // The mark is the request's: the stored programme keeps no number.
  EXPECT_EQ(events_[kTerrestrial][0x10].conditionNumber, 0u);
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10").find("class=marker"), std::string::npos);
}

TEST_F(ProgramDetailPageTest, ReservationBlockByRecorderAndRecordMode) {
  Set(L"EPGDATACAP", L"ENABLE", L"1");
  const std::string token = GetRequestToken();
  std::string page = Detail("sid=7fe07fe00400&eid=10");
  EXPECT_NE(page.find("自動予約に登録</a><BR>\n<HR>\n"), std::string::npos);
  EXPECT_EQ(page.find("予約済み"), std::string::npos);

  Reserve(kTerrestrial, 0x10, 1);
  page = Detail("sid=7fe07fe00400&eid=10");
  const std::string id = "E_00107fe07fe00400_0007";
  EXPECT_NE(page.find("<HR>\nEpgTimer_Bon.exeで予約済み　<a href='?cmd=edc_edit&edcid=" + id +
                      "&silent=1'>予約を編集</a>　<a href='?cmd=epgtimer&delete=1&confirm=2&" + id +
                      "=1&silent=1&token=" + token + "'>予約を削除</a><BR><BR><BR><BR>"),
            std::string::npos)
      << page;

  UseServerRecorder();
  EXPECT_NE(Detail("sid=7fe07fe00400&eid=10")
                .find("予約を削除</a>　<a href='?cmd=edc_edit&edcid=" + id + "&invalid=1&token=" + token +
                      "'>予約を無効</a><BR><BR><BR><BR>"),
            std::string::npos);
  Reserve(kTerrestrial, 0x10, 5);
  page = Detail("sid=7fe07fe00400&eid=10");
  EXPECT_NE(page.find("EpgTimer_Bon.exeで予約済み(無効状態)　"), std::string::npos);
  EXPECT_EQ(page.find("予約を無効"), std::string::npos);
}

TEST_F(ProgramDetailPageTest, NewReservationFormFollowsTheBlockAndAutoReservationLinksItsCondition) {
  Set(L"EPGDATACAP", L"ENABLE", L"1");
  std::string page = Detail("sid=7fe07fe00400&eid=10");
  EXPECT_EQ(page.find("自動予約:No."), std::string::npos);
  const std::size_t block = page.find("<HR>\n");
  ASSERT_NE(block, std::string::npos) << page;
  EXPECT_NE(page.find("新規予約<BR>\n", block), std::string::npos) << page;

  Reserve(kTerrestrial, 0x10, 1);
  Set(L"EPGDATACAP", L"AUTORESERVEHISTORY", L"00107fe07fe00400_4");
  page = Detail("sid=7fe07fe00400&eid=10");
  EXPECT_NE(page.find("</tbody></table>\n<a href='?cmd=autore&sh_idx=4'>自動予約:No.4</a><br>\n<hr>予約"),
            std::string::npos)
      << page;
  EXPECT_LT(page.find("<BR><BR><BR><BR>"), page.find("新規予約<BR>\n"));
}

TEST_F(ProgramDetailPageTest, TvRockLinkNeedsItsUrl) {
  Set(L"TVROCK", L"ENABLE", L"1");
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10").find("TvRock"), std::string::npos);
  Set(L"TVROCK", L"PROGRAMURL", L"http://tv:8969/nobody/");
  EXPECT_NE(Detail("sid=7fe07fe00400&eid=10")
                .find("<HR>\n<A HREF='http://tv:8969/nobody/kws?r=1&c=1024&e=16' target=_blank>TvRockで予約</A>"),
            std::string::npos);
  // Only a web address becomes a link.
  Set(L"TVROCK", L"PROGRAMURL", L"javascript:alert(1)//");
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10").find("TvRock"), std::string::npos);
}

TEST_F(ProgramDetailPageTest, HostExportWritesTheFileAndOpensIt) {
  std::vector<std::wstring> opened;
  std::optional<int> verdict;
  SetHostFileOpener([&](const std::wstring& path) {
    opened.push_back(path);
    return verdict;
  });
  const std::string text = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10&pd=depgh"), text + "実行しました");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], GetModuleDir() + L"plimo.tvpid");
  const std::string download = Expected("terrestrial.tvpid");
  EXPECT_EQ(ReadFileBytes(std::filesystem::path(opened[0])), download.substr(download.find("Content-type:")));

  verdict = 31;
  EXPECT_EQ(Detail("sid=7fe07fe00400&eid=10&pd=iepgh"), text + "ファイルの関連付けがありません\n失敗しました");
  EXPECT_EQ(opened.back(), GetModuleDir() + L"plimo.tvpi");
}

TEST_F(ProgramDetailPageTest, HostExportFromAForeignPageIsRefused) {
  bool opened = false;
  SetHostFileOpener([&](const std::wstring&) {
    opened = true;
    return std::nullopt;
  });
  RequestContext context;
  context.host = "127.0.0.1:18990";
  context.referer = "http://elsewhere.example/";
  ScopedRequestContext installed(context);
  context.params.Reset("pd=iepgh");
  std::string reply;
  {
    ReplyWriter out(&reply);
    // Only the low 16 bits of the event id count.
    ServeProgramDetailPage(out, context.params, kTerrestrial, 0xABCD0010);
  }
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n失敗しました");
  EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace plimod::test
