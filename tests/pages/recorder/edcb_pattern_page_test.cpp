#include <gtest/gtest.h>

#include <string>

#include "pages/recorder/edcb_pattern_page.h"
#include "recorder/base/recorder_mode.h"
#include "tests/pages/settings_page_fixture.h"

namespace plimod::test {
namespace {

class EdcbPatternPageTest : public SettingsPageFixture {
 protected:
  void SetUp() override {
    SettingsPageFixture::SetUp();
    DetectTuners(Settings());  // no recorder link: the text-file fields
  }
  std::string Page(const std::string& query) { return Run(ServeEdcbPatternPage, "cmd=edcpattern&" + query); }
};

TEST_F(EdcbPatternPageTest, OpeningAFormCreatesTheSectionWhichTheListShowsOff) {
  const std::string form = Page("sh_idx=5&mode=station");
  EXPECT_TRUE(Contains(form, "<HTML><HEAD><TITLE>EDCB予約パターン登録</TITLE>\n</HEAD><BODY>\n"
                             "<A HREF='?cmd=edcpattern&mode=station'>戻る</A><HR>\n"));
  EXPECT_TRUE(Contains(form, "<input type=hidden name=sh_idx value='5'>\n<input type=hidden name=mode value='station'>\n"
                             "No.05<BR><BR>\n有効:<input type=checkbox name='sh_enable' value=1><BR><BR>\n"));
  // Without a stored title rule no option is chosen.
  EXPECT_TRUE(Contains(form, "予約時登録タイトル <select name='sh_ttltype'><option value='0'>番組名のみ </option>"));
  EXPECT_TRUE(Contains(form, "name='edc_priority'"));
  EXPECT_TRUE(Contains(form, "<BR><input type=submit  name=return value='保存'>\n</form>\n</BODY></HTML>\n"));
  EXPECT_TRUE(Settings().HasSection(L"EDCBPATTERN_05"));

  const std::string list = Page("mode=station");
  EXPECT_TRUE(Contains(list, "<A HREF='?cmd=config&mode=station'>戻る</A>　<HR>\n"
                             "<A HREF='?cmd=edcpattern&sh_idx=1&mode=station'>No.01</A>　未設定<br>"));
  EXPECT_TRUE(Contains(list, "<A HREF='?cmd=edcpattern&sh_idx=5&mode=station'>No.05</A>　"
                             "<A HREF='?cmd=edcpattern&sh_idx=5&sh_flip=1&mode=station&token=" +
                                 token_ + "'>×</A>　 番組名のみ /優先度:3/追従:する /録画モード:"));
  EXPECT_TRUE(Contains(list, "No.10</A>　未設定<br>"));
  EXPECT_FALSE(Contains(list, "No.11"));
}

TEST_F(EdcbPatternPageTest, SaveStoresEveryKeyAndRedirectsOrShowsTheList) {
  int result = -1;
  const std::string reply = Save(ServeEdcbPatternPage,
                                 "cmd=edcpattern&sh_idx=3&mode=station&sh_enable=1&linkchara=%E9%8C%B2%0A%27x"
                                 "&use_invalid=1&use_dialog=0&sh_ttltype=2&sh_ttlcmd=%40TT%09%22a%22"
                                 "&edc_priority=5&edc_forrow=0&edc_recmode=2&edc_ext1=1&edc_ext2=none",
                                 &result);
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=edcpattern&sh_idx=3&mode=station\n\n");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"ENABLE"), L"1");
  // Control characters are blanked so the settings file keeps its lines.
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"LINKCHARA"), L"録 'x");
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"USE_INVALID"), L"1");
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"USE_DIALOG"), L"0");
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"TITLETYPE"), L"2");
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"TITLECOMMAND"), L"@TT \"a\"");
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"PRIORITY"), L"5");
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"RECMODE"), L"2");

  // Both texts come back quoted and escaped in the form.
  const std::string form = Page("sh_idx=3");
  EXPECT_TRUE(Contains(form, "リンク文字:<input name='linkchara' value='録 &#39;x'><BR><BR>\n"));
  EXPECT_TRUE(Contains(form, "value=\"@TT &quot;a&quot;\" size=100>"));
  EXPECT_TRUE(Contains(form, "<option value='2' selected=selected>コマンドで指定 </option>"));
  EXPECT_TRUE(Contains(form, "name='use_invalid' value=1 checked>"));

  const std::string list = Save(ServeEdcbPatternPage, "cmd=edcpattern&sh_idx=3&return=1&sh_enable=0&linkchara=L&use_invalid=1");
  EXPECT_TRUE(Contains(list, "token=" + token_ + "'>×</A>　L 予約を無効にする /優先度:"));
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_03", L"ENABLE"), L"0");
}

TEST_F(EdcbPatternPageTest, FlipNeedsTheTokenAndBadNumbersShowTheList) {
  Set(L"EDCBPATTERN_02", L"LINKCHARA", L"予");
  Page("sh_idx=2&sh_flip=1&token=" + token_);
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_02", L"ENABLE"), L"1");
  const std::string list = Page("sh_idx=2&sh_flip=1&token=" + token_);
  EXPECT_EQ(Reloaded(L"EDCBPATTERN_02", L"ENABLE"), L"0");
  EXPECT_TRUE(Contains(list, "<TITLE>EDCB予約パターン登録</TITLE>"));

  Page("sh_idx=2&sh_flip=1&token=wrong");
  EXPECT_EQ(Stored(L"EDCBPATTERN_02", L"ENABLE"), L"0");

  for (const char* query : {"sh_idx=0", "sh_idx=1000", "sh_idx=x"}) {
    EXPECT_TRUE(Contains(Page(query), "No.01</A>　未設定<br>")) << query;
  }
  EXPECT_FALSE(Settings().HasSection(L"EDCBPATTERN_1000"));
}

}  // namespace
}  // namespace plimod::test
