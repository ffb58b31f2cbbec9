#include <gtest/gtest.h>

#include "epg/epg_index.h"
#include "recorder/titles/title_template.h"
#include "tests/support/epg_globals_fixture.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/service_keys.h"

namespace plimod {
namespace {

using test::TimeOf;

class TitleTemplateTest : public test::EpgGlobalsFixture {
 protected:
  void SetUp() override {
    EpgGlobalsFixture::SetUp();
    event_.originalNetworkId = 4;
    event_.transportStreamId = 0x4010;
    event_.serviceId = 0x101;
    event_.SetTitle(L"[新]アニメ「旅立ち」#1");
    event_.SetShortText(L"  第12話 その3  ");
    event_.SetExtendedText(L"出演-声優");
    event_.start = TimeOf(2026, 12, 2, 1, 30, 15);  // day of week left 0 on purpose
    event_.durationSeconds = 3600;
  }
  void TearDown() override {
    SetTitleTemplateSyoboiLookup(nullptr);
    EpgGlobalsFixture::TearDown();
  }

  std::wstring Expand(const std::wstring& text) { return expandTitleTemplate(text, counter_, event_); }

  EpgEvent event_;
  int counter_ = 4;
};

TEST_F(TitleTemplateTest, PlainTextAndUnknownNamesAreCopied) {
  EXPECT_EQ(Expand(L"  plain\ttext\x01  "), L"plaintext");
  EXPECT_EQ(Expand(L"@@TT"), L"@[新]アニメ「旅立ち」#1");
  EXPECT_EQ(Expand(L"@XY and @"), L"@XY and @");
  EXPECT_EQ(counter_, 4);
}

TEST_F(TitleTemplateTest, NumberingRaisesTheCounterOncePerCall) {
  EXPECT_EQ(Expand(L"@2nb-@2nb"), L"05-05");
  EXPECT_EQ(counter_, 5);
  EXPECT_EQ(Expand(L"@NB @2NB @3NB @4NB @nb @3nb @4nb"), L"#6 #06 #006 #0006 6 006 0006");
  EXPECT_EQ(counter_, 6);
}

TEST_F(TitleTemplateTest, CalendarAndBroadcastDayFields) {
  // 2026-12-02 is a Wednesday; before 04:00 the broadcast day is the 1st.
  EXPECT_EQ(Expand(L"@YY/@MM/@DD @SH:@SM:@SS @WK @WE-@EH:@EM:@ES @2YY"), L"2026/12/02 01:30:15 水 Wed-02:30:15 26");
  EXPECT_EQ(Expand(L"@yy/@mm/@dd @sh:@sm:@ss @wk @we-@eh:@em:@es @2yy"), L"2026/12/01 25:30:15 火 Tue-26:30:15 26");
  event_.start = TimeOf(2027, 1, 1, 4, 0);
  EXPECT_EQ(Expand(L"@dd @sh @wk"), L"01 04 金");
  event_.start = TimeOf(2027, 1, 1, 0, 10);  // the broadcast day is in the year before
  EXPECT_EQ(Expand(L"@yy-@mm-@dd @we"), L"2026-12-31 Thu");
}

TEST_F(TitleTemplateTest, TextMacrosAndWorkingCopies) {
  ServiceMap[test::BsKey(0x101)] = L"ＢＳ１１";
  EXPECT_EQ(Expand(L"@tt|@SB|@sb|@CH|@ch"),
            L"アニメ「旅立ち」#1|  第12話 その3  |第12話 その3|ＢＳ１１|BS11");
  EXPECT_EQ(Expand(L"@MST@TT @SB"), L"[新]アニメ1 「旅立ち」#");
  event_.SetTitle(L"アニメ「旅立ち」");
  EXPECT_EQ(Expand(L"@MST@TT @SB"), L"アニメ 「旅立ち」");
  event_.SetTitle(L"ＡＢＣ１２");
  EXPECT_EQ(Expand(L"@TT @ht@TT"), L"ＡＢＣ１２ ABC12");
  ServiceMap.clear();
  EXPECT_EQ(Expand(L"[@CH]"), L"[]");
}

TEST_F(TitleTemplateTest, RegexMacrosFillAndReadTheLists) {
  EXPECT_EQ(Expand(L"@NS'(\\d+)'@PS1 @PS5"), L"12 5");
  EXPECT_EQ(Expand(L"@NS'(\\d+)\\D+(\\d+)'@PS2/@PS1"), L"3/12");
  EXPECT_EQ(Expand(L"@ND'\\w+'@PD1 @ND3'声.'@PD3 @PD"), L"出演 声優");
  EXPECT_EQ(Expand(L"@NT2'nomatch'[@PT2]"), L"[]");
  EXPECT_EQ(Expand(L"@C'\\[.\\]'@TT"), L"アニメ「旅立ち」#1");
  // A bad pattern: no change, or "[regexerr]" where the match is asked for.
  EXPECT_EQ(Expand(L"@C'('@TT @NT1'('@PT1"), L"[新]アニメ「旅立ち」#1 [regexerr]");
  EXPECT_EQ(Expand(L"@NT'('[@PT1]"), L"[]");
}

TEST_F(TitleTemplateTest, FailedArgumentLeavesTheRestAsText) {
  EXPECT_EQ(Expand(L"@C'abc"), L"abc");
  EXPECT_EQ(Expand(L"@NT1'x"), L"'x");
  const std::wstring longPattern(512, L'a');
  EXPECT_EQ(Expand(L"@C'" + longPattern + L"'"), longPattern + L"'");
  const std::wstring fits(511, L'a');
  EXPECT_EQ(Expand(L"@C'" + fits + L"'@SB"), L"第12話 その3");
}

TEST_F(TitleTemplateTest, CalendarProgrammeFields) {
  EXPECT_EQ(Expand(L"[@CT@CS@CC@CN@cn]"), L"[]");
  std::uint64_t askedKey = 0;
  SystemTime askedStart;
  SetTitleTemplateSyoboiLookup([&](std::uint64_t key, const SystemTime& start) {
    askedKey = key;
    askedStart = start;
    return TemplateSyoboiProgram{L"A&amp;B", L"&#128512;", L"&lt;c&gt;", 7};
  });
  EXPECT_EQ(Expand(L"@CT @CS @CC @CN @2CN @3CN @4CN @cn @2cn @3cn @4cn"),
            L"A&B \U0001F600 <c> #7 #07 #007 #0007 7 07 007 0007");
  EXPECT_EQ(askedKey, test::BsKey(0x101));
  EXPECT_EQ(askedStart.wHour, 1);
  EXPECT_EQ(askedStart.wMinute, 30);
  EXPECT_EQ(counter_, 4);
}

}  // namespace
}  // namespace plimod
