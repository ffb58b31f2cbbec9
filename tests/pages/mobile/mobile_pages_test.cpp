// The mobile pages on the string writer, with a clock that stands still at
// Saturday 2025-03-01 12:00 unless a test moves it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pages/mobile/mobile_page.h"
#include "pages/mobile/mobile_parts.h"
#include "platform/text_codec.h"
#include "recorder/lists/reserve_lists.h"
#include "tests/pages/page_test_fixture.h"
#include "tests/support/search_form.h"

namespace plimod::test {
namespace {

class MobilePagesTest : public PageTest {
 protected:
  void TearDown() override {
    PublishReserveLists(std::make_shared<ReserveLists>());
    PageTest::TearDown();
  }
  // Events as the store keeps them: the day of the week and search forms set.
  void AddEvent(EpgEvent event) {
    event.start.wDayOfWeek = static_cast<std::uint16_t>(DayOfWeek(event.start.wYear, event.start.wMonth, event.start.wDay));
    event.SetNormalizedTitle(SearchFormOf(event.Title()));
    PageTest::AddEvent(event);
  }
  std::string Mobile(const std::string& query) {
    return Run([](ReplyWriter& out, RequestParameters&, IniFile&) { return ServeMobilePage(out); }, query);
  }
  void Publish(const ReserveLists& lists) { PublishReserveLists(std::make_shared<ReserveLists>(lists)); }
  static ReserveEntry Entry(std::uint64_t serviceKey, std::uint16_t eventId, const SystemTime& start, int minutes,
                            const std::wstring& title, std::int32_t reserveId) {
    ReserveEntry entry;
    entry.serviceKey = serviceKey;
    entry.eventId = eventId;
    entry.start = start;
    entry.start.wDayOfWeek = static_cast<std::uint16_t>(DayOfWeek(start.wYear, start.wMonth, start.wDay));
    entry.durationSeconds = minutes * 60;
    entry.title = WideToCp932(title);
    entry.station = WideToCp932(L"ＮＨＫ");
    entry.reserveId = reserveId;
    return entry;
  }
};

TEST_F(MobilePagesTest, MenuShowsTheReservationRowOnlyWithTheServerAndCarriesEncodedValues) {
  Settings().SetInt(L"EPGDATACAP", L"ENABLE", 1);
  const std::string page = Mobile("w=20&f=1'%20x&d=5");
  EXPECT_TRUE(Contains(page, "<HTML><HEAD>\n<meta name=\"viewport\" content=\"width=device-width\">\n"
                             "<TITLE>プリモ…</TITLE>\n</HEAD><BODY bgcolor=#000000"));
  EXPECT_TRUE(Contains(page, "1.<a href='?c=s&w=20&f=1%27%20x' accesskey=1>検索結果</a><br>\n"
                             "2.<a href='?c=e&b=1&w=20&f=1%27%20x' accesskey=2>番組表(地上波)</a><br>\n"));
  // The text-file recorder has no reservation list here.
  EXPECT_TRUE(Contains(page, "5.<a href='?c=w&w=20&f=1%27%20x' accesskey=5>検索</a><br>\n</BODY></HTML>\n"));
  EXPECT_FALSE(Contains(page, "ETB予約list"));
}

TEST_F(MobilePagesTest, UnknownAndSilentPages) {
  EXPECT_EQ(Mobile("c=x"), "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n工事中\n");
  EXPECT_EQ(Mobile("c=r"), "");
}

TEST_F(MobilePagesTest, WidthFittingCountsColumnsAndNeverSplitsACharacter) {
  RequestParameters params;
  EXPECT_EQ(MobileWidthOf(params), 24);
  params["w"] = "10";
  EXPECT_EQ(MobileWidthOf(params), 18);
  params["w"] = "30";
  EXPECT_EQ(MobileWidthOf(params), 30);

  EXPECT_EQ(FitToMobileWidth(std::wstring(12, L'漢'), 18), std::wstring(9, L'漢'));
  EXPECT_EQ(FitToMobileWidth(L"A" + std::wstring(12, L'漢'), 18), L"A" + std::wstring(8, L'漢') + L".");
  // Katakana become half-width forms of one column each.
  EXPECT_EQ(FitToMobileWidth(L"テレビ", 18), L"\uFF83\uFF9A\uFF8B\uFF9E");
  // A character outside the BMP counts as one character of two columns.
  EXPECT_EQ(FitToMobileWidth(L"ab\U0001F600\U0001F600", 5), L"ab\U0001F600.");
}

TEST_F(MobilePagesTest, TableWindowBeforeFiveBelongsToYesterdaysBroadcastDay) {
  SetNow(At(2025, 3, 6, 2, 0));  // Thursday 02:00
  AddService(TrKey(1), L"局");
  AddEvent(MakeEvent(TrKey(1), 1, At(2025, 3, 6, 1, 30), 60, L"深夜"));     // 25:30-26:30, runs into 26:00
  AddEvent(MakeEvent(TrKey(1), 2, At(2025, 3, 6, 4, 59), 30, L"早朝"));     // 28:59
  AddEvent(MakeEvent(TrKey(1), 3, At(2025, 3, 6, 5, 0), 30, L"朝"));        // next window
  AddEvent(MakeEvent(TrKey(1), 4, At(2025, 3, 5, 22, 0), 60, L"夜"));       // earlier window
  const std::string page = Mobile("c=e&b=1");
  EXPECT_TRUE(Contains(page, "<TITLE>番組表</TITLE>"));
  // The running programme counts from 26:00 but shows its own start.
  EXPECT_TRUE(Contains(page, "<font>03/05水 25:30～</font> 局<br><a href='?c=e&sid=7fe07fe00001&eid=1'>深夜</a><br>\n"
                             "<font>03/05水 28:59～</font>"));
  EXPECT_FALSE(Contains(page, "eid=3'"));
  EXPECT_FALSE(Contains(page, "eid=4'"));
  EXPECT_TRUE(Contains(page, "<A HREF='?d=20250304&c=e&b=1' accesskey=4>4前</A> "
                             "<A HREF='?d=20250306&c=e&b=1' accesskey=6>6翌</A> "
                             "<A HREF='?d=20250305&h=23&c=e&b=1' accesskey=2>2前</A> "
                             "<A HREF='?d=20250306&h=5&c=e&b=1' accesskey=8>8次</A> <hr>\n"));
}

TEST_F(MobilePagesTest, TableHourAndDayParameters) {
  AddService(TrKey(1));
  AddEvent(MakeEvent(TrKey(1), 1, At(2025, 4, 1, 20, 30), 60, L"八時半"));
  AddEvent(MakeEvent(TrKey(1), 2, At(2025, 4, 1, 23, 59), 10, L"遅く"));
  // The 31st of April is the 1st of May; hour 21 shows 21:00-24:00.
  EXPECT_TRUE(Contains(Mobile("c=e&d=20250431&h=21"), "結果なし "));
  const std::string page = Mobile("c=e&d=20250401&h=21");
  EXPECT_TRUE(Contains(page, "<font>04/01火 20:30～</font>"));
  EXPECT_TRUE(Contains(page, "23:59～"));
  EXPECT_TRUE(Contains(page, "<A HREF='?d=20250401&h=18&c=e' accesskey=2>2前</A> "
                             "<A HREF='?d=20250401&h=24&c=e' accesskey=8>8次</A> "));
  // An unusable day falls back to today's broadcast day (2025-03-01).
  EXPECT_TRUE(Contains(Mobile("c=e&d=19700101&h=12"), "<A HREF='?d=20250228&c=e' accesskey=4>"));
}

TEST_F(MobilePagesTest, SearchHitsListReservedAndMatchingProgrammesWithColours) {
  AddService(TrKey(1), L"地上");
  AddService(BsKey(1), L"衛星");
  AddService(OtherKey(1), L"他");
  Settings().SetInt(L"SEARCH", L"CONDITIONCOUNT", 1);
  Settings().SetString(L"SEARCH_01", L"ENABLE", L"1");
  Settings().SetString(L"SEARCH_01", L"WORD", L"ニュース");
  Settings().SetString(L"SEARCH_01", L"SEARCH_TITLE", L"1");
  AddEvent(MakeEvent(TrKey(1), 1, At(2025, 3, 1, 19, 0), 30, L"ニュース"));
  AddEvent(MakeEvent(TrKey(1), 2, At(2025, 3, 1, 18, 0), 30, L"予約した"));
  AddEvent(MakeEvent(TrKey(1), 3, At(2025, 3, 1, 17, 0), 30, L"無関係"));
  AddEvent(MakeEvent(BsKey(1), 4, At(2025, 3, 1, 16, 0), 30, L"ニュース"));
  AddEvent(MakeEvent(OtherKey(1), 5, At(2025, 3, 2, 1, 0), 30, L"他のニュース"));
  ReserveLists lists;
  lists.reserveList.push_back(Entry(TrKey(1), 2, At(2025, 3, 1, 18, 0), 30, L"予約した", 7));
  lists.reserveList.back().recordMode = 5;
  lists.reserveList.push_back(Entry(OtherKey(1), 5, At(2025, 3, 2, 1, 0), 30, L"他", 8));
  Publish(lists);
  const std::string page = Mobile("c=s");
  EXPECT_TRUE(Contains(page, "<TITLE>検索結果</TITLE>"));
  EXPECT_TRUE(Contains(page, "<font color=#c0c0c0>03/01<font color=skyblue>土</font> 18:00～</font> 地上<br>"));
  EXPECT_TRUE(Contains(page, "<font>03/01<font color=skyblue>土</font> 19:00～</font>"));
  EXPECT_TRUE(Contains(page, "<font color=#40ff40>03/01<font color=skyblue>土</font> 25:00～</font> 他<br>"));
  EXPECT_FALSE(Contains(page, "無関係"));
  EXPECT_FALSE(Contains(page, "衛星"));
  EXPECT_LT(page.find("18:00"), page.find("19:00"));
  EXPECT_TRUE(Contains(page, "<A HREF='?b=1&c=s' accesskey=1><font color='#FF8000'>1地</font></A> "
                             "<A HREF='?b=10&c=s' accesskey=2><font color='#c0c0c0'>2BS</font></A> "));
  EXPECT_TRUE(Contains(Mobile("c=s&b=10"), "衛星"));
}

TEST_F(MobilePagesTest, DetailShowsTheProgrammeAndItsReservation) {
  Settings().SetInt(L"EPGDATACAP", L"ENABLE", 1);
  AddService(TrKey(1), L"<局>");
  EpgEvent event = MakeEvent(TrKey(1), 0x12, At(2025, 3, 1, 23, 30), 90, L"題'名");
  event.SetShortText(L"短い");
  event.SetExtendedText(L"一行目\r\n二行目");
  AddEvent(event);
  std::string page = Mobile("c=s&sid=7fe07fe00001&eid=10012&w=20");
  EXPECT_TRUE(Contains(page, "<TITLE>題&#39;名</TITLE>"));
  EXPECT_TRUE(Contains(page, "<A HREF='?c=s&w=20' accesskey=0>戻る</A>  <A HREF='/?cmd=edc&sid=7fe07fe00001&eid=12&"
                             "silent=1&w=20'>予約する</A><hr>\n03/01<font color=skyblue>土</font>  23:30:00～01:00:00<BR>\n"
                             "<font color=#ff8040>局名:</font>&lt;局&gt;<BR>\n"));
  EXPECT_TRUE(Contains(page, "<font color=#ff8040>詳細:</font><BR>\n一行目<BR>二行目</BODY></HTML>\n"));

  ReserveLists lists;
  lists.reserveList.push_back(Entry(TrKey(1), 0x12, At(2025, 3, 1, 23, 30), 90, L"題", 3));
  Publish(lists);
  page = Mobile("c=s&sid=7fe07fe00001&eid=12");
  EXPECT_TRUE(Contains(page, "予約済み <A HREF='?c=n&edcid=E_00127fe07fe00001_0003&d=1&'>予約削除</A><hr>"));
  EXPECT_TRUE(Contains(Mobile("c=s&sid=7fe07fe00001&eid=13"), "番組情報が見つかりませんでした\n"));
  // The page name goes back into the link encoded, whatever it holds.
  EXPECT_TRUE(Contains(Mobile("c=a'%20b&sid=7fe07fe00001&eid=12"), "<A HREF='?c=a%27%20b&' accesskey=0>戻る</A>"));
}

TEST_F(MobilePagesTest, ReservationListFiltersColoursAndReportsTheDeletionFailingAtOnceWithoutTheServer) {
  AddService(TrKey(1));
  ReserveLists lists;
  lists.reserveList.push_back(Entry(TrKey(1), 1, At(2025, 3, 1, 9, 0), 60, L"済んだ", -2));
  lists.reserveList.push_back(Entry(TrKey(1), 2, At(2025, 3, 1, 20, 0), 60, L"無効", 4));
  lists.reserveList.back().recordMode = 5;
  lists.reserveList.push_back(Entry(TrKey(1), 3, At(2025, 3, 1, 21, 0), 60, L"録れない", 5));
  lists.reserveList.push_back(Entry(TrKey(1), 4, At(2025, 3, 1, 22, 0), 60, L"<b>録れない'", 6));
  lists.reserveList.back().unrecordable = 2;
  lists.unrecordableList = {lists.reserveList[2].ProgramKey(), lists.reserveList[3].ProgramKey()};
  Publish(lists);

  std::string page = Mobile("c=n&w=18");
  EXPECT_TRUE(Contains(page, "<TITLE>ETB予約ﾘｽﾄ </TITLE>"));
  EXPECT_TRUE(Contains(page, "<A HREF='?w=18' accesskey=0>戻る</A> 予約 <A HREF='?c=n&f=1&w=18'>結果</A> "
                             "<A HREF='?c=n&f=2&w=18'>全て</A> <hr>\n"));
  EXPECT_FALSE(Contains(page, "済んだ"));
  EXPECT_TRUE(Contains(page, "<font color=#ff0000>03/01<font color=skyblue>土</font> 20:00～</font> NH<br>"
                             "<a href='?c=n&edcid=E_00027fe07fe00001_0004&w=18'>無効</a><br>\n"));
  EXPECT_TRUE(Contains(page, "<font color=#40ff40>03/01"));
  EXPECT_TRUE(Contains(page, "<font color=#c0c0c0>03/01"));
  EXPECT_TRUE(Contains(page, "'>&lt;b&gt;録れない&#39;</a><br>\n"));
  page = Mobile("c=n&f=1");
  EXPECT_TRUE(Contains(page, "edcid=E_00017fe07fe00001_fffffffe&"));
  EXPECT_FALSE(Contains(page, "無効"));
  EXPECT_EQ(CountOf(Mobile("c=n&f=2"), "edcid="), 4);

  // Outside the server mode the deletion fails without waiting, and says so.
  EXPECT_TRUE(Contains(Mobile("c=n&edcid=E_00027fe07fe00001_0004&d=1"), "\n\nエラー\n"));

  page = Mobile("c=n&edcid=E_00027fe07fe00001_0004");
  EXPECT_TRUE(Contains(page, "番組情報が見つかりませんでした\n"));
  AddEvent(MakeEvent(TrKey(1), 2, At(2025, 3, 1, 20, 0), 60, L"無効"));
  page = Mobile("c=n&edcid=E_00027fe07fe00001_0004");
  EXPECT_TRUE(Contains(page, "<A HREF='?c=n&' accesskey=0>戻る</A> <A HREF='?c=n&edcid=E_00027fe07fe00001_0004&d=1&'>"
                             "削除</A> <hr>03/01"));
  EXPECT_TRUE(Contains(Mobile("c=n&edcid=E_00097fe07fe00001_0004"), "予約が見つかりませんでした\n"));
}

TEST_F(MobilePagesTest, SearchPageStoresThePostInAScratchSectionAndListsHits) {
  AddService(TrKey(1));
  AddService(BsKey(1));
  AddEvent(MakeEvent(TrKey(1), 1, At(2025, 3, 1, 19, 0), 30, L"ニュース"));
  AddEvent(MakeEvent(BsKey(1), 2, At(2025, 3, 1, 20, 0), 30, L"ニュース"));
  std::string page = Mobile("c=w");
  EXPECT_TRUE(Contains(page, "<input type=hidden name=token value='" + token_ + "'>\n"
                             "<input type=hidden name=c value=w>\n"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='sh_title' value=1 checked>タイトル "
                             "<input type=checkbox name='sh_explan' value=1>説明 "));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='sh_ch_C_mode' value=1 checked>CS "));

  page = Mobile("spc=%E3%80%80&token=" + token_ + "&c=w&w=20&sh_word=%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9'&"
                "sh_ch_T_mode=1");
  EXPECT_TRUE(Contains(page, "value='ニュース&#39;' size=20>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='sh_title' value=1>タイトル "));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='sh_ch_B_mode' value=1>BS "));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=w value='20'>\n"));
  EXPECT_FALSE(Settings().HasSection(L"dummy"));

  page = Mobile("spc=%E3%80%80&token=" + token_ + "&c=w&sh_word=%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9&sh_title=1&"
                "sh_ch_T_mode=1");
  EXPECT_TRUE(Contains(page, "ヒット数：1<BR>\n<font>03/01<font color=skyblue>土</font> 19:00～</font>"));
  EXPECT_TRUE(Contains(page, "<a href='?c=w&sid=7fe07fe00001&eid=1'>ﾆｭｰｽ</a>"));
  // A post without the token only shows the form.
  EXPECT_TRUE(Contains(Mobile("spc=%E3%80%80&token=bad&c=w&sh_word=x&sh_title=0"),
                       "<input type=checkbox name='sh_title' value=1 checked>"));
}

TEST_F(MobilePagesTest, SearchPageStopsAfterTheHundredAndFirstProgramme) {
  AddService(TrKey(1));
  for (int i = 0; i < 120; ++i) {
    AddEvent(MakeEvent(TrKey(1), static_cast<std::uint16_t>(i + 1), At(2025, 3, 2, 1 + i / 60, i % 60), 1, L"連続"));
  }
  const std::string page = Mobile("spc=%E3%80%80&token=" + token_ + "&c=w&sh_word=%E9%80%A3&sh_title=1&sh_ch_T_mode=1");
  EXPECT_TRUE(Contains(page, "ヒット数：120<BR>\n"));
  EXPECT_EQ(CountOf(page, "<a href='?c=w&sid="), 101);
  EXPECT_TRUE(Contains(page, "検索結果が100件を超えましたので出力を中止しました.<BR>\n</BODY></HTML>\n"));
}

}  // namespace
}  // namespace plimod::test
