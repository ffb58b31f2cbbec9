#include <gtest/gtest.h>

#include <string>

#include "epg/epg_index.h"
#include "pages/settings/channel_sort_page.h"
#include "pages/settings/iepg_channel_name_page.h"
#include "pages/settings/ignore_channel_page.h"
#include "tests/pages/settings_page_fixture.h"

namespace plimod::test {
namespace {

class ChannelPagesTest : public SettingsPageFixture {
 protected:
  // Five terrestrial channels T0001H..T0005H, two BS, one CS, one other.
  void AddChannels() {
    for (std::uint16_t sid = 1; sid <= 5; ++sid) ServiceMap[TrKey(sid)] = L"tr" + std::to_wstring(sid);
    ServiceMap[BsKey(0x101)] = L"bs1";
    ServiceMap[BsKey(0x102)] = L"bs2";
    ServiceMap[CsKey(0x201)] = L"cs1";
    ServiceMap[OtherKey(0x301)] = L"z1";
  }
  std::string Sort(const std::string& query) { return Run(ServeChannelSortPage, "cmd=chsort&" + query); }
  std::wstring TrOrder() const { return Stored(L"VIEW", L"CHANNEL_LIST_TR"); }
};

TEST_F(ChannelPagesTest, IgnoreFormTicksTheStoredChannelsOfEveryBand) {
  AddChannels();
  ServiceMap[BsKey(0x103)] = L"<b>&'";
  Set(L"VIEW", L"IGNORE_CHANNEL", L"T0002H B0102H");
  const std::string page = Run(ServeIgnoreChannelPage, "cmd=ignorech&mode=station");
  EXPECT_TRUE(Contains(page, "<A HREF='?cmd=config&mode=station'>戻る</A>　<HR>無視チャンネル<BR>\n"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=token value='" + token_ + "'>\n"
                             "<input type=hidden name=cmd value='ignorech'>\n"
                             "<input type=hidden name=mode value='station'>\n"));
  EXPECT_TRUE(Contains(page, "地上波<BR>\n<NOBR><input type=checkbox name='ch_T0001H' value=1>tr1</NOBR>　\n"
                             "<NOBR><input type=checkbox name='ch_T0002H' value=1 checked>tr2</NOBR>　\n"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='ch_B0102H' value=1 checked>bs2</NOBR>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='ch_B0103H' value=1>&lt;b&gt;&&#39;</NOBR>"));
  EXPECT_TRUE(Contains(page, "不明<BR>\n<NOBR><input type=checkbox name='ch_Z0301H' value=1>z1</NOBR>　\n<BR>\n"));
}

TEST_F(ChannelPagesTest, IgnoreSaveStoresTheTickedChannelsInBandOrder) {
  AddChannels();
  int result = -1;
  EXPECT_EQ(Save(ServeIgnoreChannelPage, "cmd=ignorech&ch_Z0301H=1&ch_B0101H=1&ch_T0004H=1&ch_T0005H=2&ch_T0009H=1",
                 &result),
            "");
  EXPECT_EQ(result, 0);
  // Band order, then key order; "2" and channels not in the map do not count.
  EXPECT_EQ(Reloaded(L"VIEW", L"IGNORE_CHANNEL"), L"T0004H B0101H Z0301H");

  Save(ServeIgnoreChannelPage, "cmd=ignorech");
  EXPECT_EQ(Reloaded(L"VIEW", L"IGNORE_CHANNEL"), L"");
}

TEST_F(ChannelPagesTest, IgnorePostWithoutAValidTokenOnlyShowsTheForm) {
  AddChannels();
  Set(L"VIEW", L"IGNORE_CHANNEL", L"T0001H");
  int result = -1;
  for (const std::string& post : {std::string("spc=%E3%80%80&token=wrong&cmd=ignorech&ch_T0002H=1"),
                                  "token=" + token_ + "&cmd=ignorech&ch_T0002H=1",
                                  std::string("spc=%E3%80%80&cmd=ignorech&ch_T0002H=1")}) {
    EXPECT_TRUE(Contains(Run(ServeIgnoreChannelPage, post, &result), "<TITLE>無視チャンネル設定</TITLE>")) << post;
    EXPECT_EQ(result, 1);
  }
  EXPECT_EQ(Stored(L"VIEW", L"IGNORE_CHANNEL"), L"T0001H");
  EXPECT_FALSE(std::filesystem::exists(IniPath()));
}

TEST_F(ChannelPagesTest, SortMovesWithinTheBandAndSelectsTheMovedChannel) {
  AddChannels();
  std::string page = Sort("st_band=001&st_sel=0&st_dst=3");
  EXPECT_EQ(Reloaded(L"VIEW", L"CHANNEL_LIST_TR"), L"T0002H T0003H T0001H T0004H T0005H");
  EXPECT_TRUE(Contains(page, "<tr><td rowspan=2>tr1(選択中)<BR>\n</td></tr>\n"));
  EXPECT_TRUE(Contains(page, "地上波チャンネル並び替え<BR><BR>\n"));

  Sort("st_band=001&st_sel=0&st_dst=5");
  EXPECT_EQ(TrOrder(), L"T0003H T0001H T0004H T0005H T0002H");
  Sort("st_band=001&st_sel=2&st_dst=2");
  Sort("st_band=001&st_sel=2&st_dst=3");
  EXPECT_EQ(TrOrder(), L"T0003H T0001H T0004H T0005H T0002H");
  Sort("st_band=001&st_sel=4&st_dst=0");
  EXPECT_EQ(TrOrder(), L"T0002H T0003H T0001H T0004H T0005H");

  // The other bands keep their own keys.
  Sort("st_band=010&st_sel=1&st_dst=0");
  EXPECT_EQ(Stored(L"VIEW", L"CHANNEL_LIST_BS"), L"B0102H B0101H");
  EXPECT_EQ(Stored(L"VIEW", L"CHANNEL_LIST_CS"), L"(missing)");
}

TEST_F(ChannelPagesTest, SortWritesTheRowsAndLinksOfTheBand) {
  ServiceMap[CsKey(1)] = L"a<b";
  ServiceMap[CsKey(2)] = L"c";
  const std::string page = Sort("st_band=100&st_sel=1&mode=station");
  const std::string rows =
      "<table border=0 cellpadding=4 cellspacing=4><tbody>\n"
      "<tr><td rowspan=2><A HREF='?cmd=chsort&st_band=100&st_sel=1&st_dst=0&mode=station'>ここに挿入→</A></td>"
      "<td></td></tr>\n"
      "<tr><td rowspan=2><A HREF='?cmd=chsort&st_band=100&st_sel=0&mode=station'>a&lt;b</A><BR>\n</td></tr>\n"
      "<tr><td rowspan=2><A HREF='?cmd=chsort&st_band=100&st_sel=1&st_dst=1&mode=station'>ここに挿入→</A></td>"
      "</tr>\n"
      "<tr><td rowspan=2>c(選択中)<BR>\n</td></tr>\n"
      "<tr><td rowspan=2><A HREF='?cmd=chsort&st_band=100&st_sel=1&st_dst=2&mode=station'>ここに挿入→</A></td>"
      "</tr>\n"
      "</tbody></table>\n"
      "<BR><HR><A HREF='?cmd=config&mode=station'>戻る</A>　</BODY></HTML>\n";
  EXPECT_TRUE(Contains(page, "CSチャンネル並び替え<BR><BR>\n" + rows)) << page;
}

TEST_F(ChannelPagesTest, SortIgnoresMovesOutsideTheBandOrOfNoSingleBand) {
  AddChannels();
  ServiceMap[CsKey(0x101)] = L"cs with BS id";
  for (const char* query : {"st_band=001&st_sel=5&st_dst=0", "st_band=001&st_sel=-1&st_dst=0",
                            "st_band=001&st_sel=0&st_dst=6", "st_band=001&st_sel=0&st_dst=-1",
                            "st_band=011&st_sel=1&st_dst=0", "st_band=1000&st_sel=1&st_dst=0",
                            "st_band=%27%3E&st_sel=1&st_dst=0"}) {
    const std::string page = Sort(query);
    EXPECT_FALSE(std::filesystem::exists(IniPath())) << query;
    EXPECT_FALSE(Contains(page, "'>&st_sel")) << query;
  }
  // A band that is none of the three shows CS with its canonical name.
  const std::string page = Sort("st_band=011");
  EXPECT_TRUE(Contains(page, "CSチャンネル並び替え"));
  EXPECT_TRUE(Contains(page, "st_band=100&st_sel=0&st_dst=0&"));
  EXPECT_FALSE(Contains(page, "st_band=011"));
}

TEST_F(ChannelPagesTest, SortDropsHiddenChannelsAndEmptyBandsStoreNothing) {
  AddChannels();
  Set(L"VIEW", L"IGNORE_CHANNEL", L"T0003H");
  Set(L"VIEW", L"CHANNEL_LIST_TR", L"T0005H T0003H T0004H");
  const std::string page = Sort("st_band=001&st_sel=0&st_dst=2");
  EXPECT_EQ(TrOrder(), L"T0004H T0005H T0001H T0002H");
  EXPECT_FALSE(Contains(page, "tr3"));

  ServiceMap.clear();
  Settings().Clear();
  const std::string empty = Sort("st_band=100&st_dst=0");
  EXPECT_TRUE(Contains(empty, "<tbody>\n<tr><td rowspan=2><A HREF='?cmd=chsort&st_band=100&st_sel=0&st_dst=0&'>"
                              "ここに挿入→</A></td><td></td></tr>\n</tbody>"));
  EXPECT_EQ(Stored(L"VIEW", L"CHANNEL_LIST_CS"), L"(missing)");
}

TEST_F(ChannelPagesTest, IepgNamesListShownChannelsAndSaveOnlyThose) {
  AddChannels();
  Set(L"VIEW", L"IGNORE_CHANNEL", L"T0002H");
  Set(L"IEPG_CH_NAME", L"T0002H", L"hidden name");
  Set(L"IEPG_CH_NAME", L"T0001H", L"it's <one>");
  Set(L"IEPG_CH_NAME", L"B0101H", L"old");
  const std::string page = Run(ServeIepgChannelNamePage, "cmd=iepgch&eid=12&sidmd=3&mode=station");
  EXPECT_TRUE(Contains(page, "<input type=hidden name=cmd value='iepgch'>\n"
                             "<input type=hidden name=sidmd value='3'>\n"
                             "<input type=hidden name=eid value='12'>\n"
                             "<input type=hidden name=mode value='station'>\n<BR>\n"
                             "tr1 <input name=T0001H value='it&#39;s &lt;one&gt;' size=20><BR>\n"
                             "tr3 <input name=T0003H value='' size=20><BR>\n"));
  EXPECT_FALSE(Contains(page, "T0002H"));

  int result = -1;
  Save(ServeIepgChannelNamePage, "cmd=iepgch&T0001H=%E5%90%8D%0D%0Aa&T0003H=three&B0101H=&T0002H=", &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Reloaded(L"IEPG_CH_NAME", L"T0001H"), L"名  a");
  EXPECT_EQ(Reloaded(L"IEPG_CH_NAME", L"T0003H"), L"three");
  EXPECT_EQ(Reloaded(L"IEPG_CH_NAME", L"B0101H"), L"(missing)");
  EXPECT_EQ(Reloaded(L"IEPG_CH_NAME", L"T0002H"), L"hidden name");
}

}  // namespace
}  // namespace plimod::test
