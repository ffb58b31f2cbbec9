#include "util/text_clean.h"
#include "util/text_title.h"
#include "util/text_token.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

TEST(ReplaceCharTest, ReplacesInPlaceAndGivesCopy) {
  std::wstring text = L"a b c";
  EXPECT_EQ(ReplaceChar(text, L' ', L'&'), L"a&b&c");
  EXPECT_EQ(text, L"a&b&c");
}

TEST(TrimSpacesTest, RemovesBlanksTabsAndIdeographicSpacesAtBothEnds) {
  std::wstring text = L"\u3000\u3000 \t ab \t \u3000\u3000";
  TrimSpaces(text);
  EXPECT_EQ(text, L"ab");

  text = L" \u3000\u3000\r\n";
  TrimSpaces(text);
  EXPECT_EQ(text, L"");
}

TEST(TrimSpacesTest, LeavesInnerLinesAlone) {
  std::wstring text = L" first \n\n  second\u3000 \n";
  TrimSpaces(text);
  EXPECT_EQ(text, L"first \n\n  second");
}

TEST(StripBracketTagsTest, RemovesEveryTagAndTrims) {
  EXPECT_EQ(StripBracketTags(L"[字][デ]タイトル [再]"), L"タイトル");
  EXPECT_EQ(StripBracketTags(L"前[新]後"), L"前後");
  EXPECT_EQ(StripBracketTags(L"閉じない[タグ"), L"閉じない[タグ");
  EXPECT_EQ(StripBracketTags(L"[字]"), L"");
}

TEST(CutSeriesTitleTest, KeepsTheSeriesName) {
  EXPECT_EQ(CutSeriesTitle(L"[新]シリーズ名 第3話"), L"シリーズ名");
  EXPECT_EQ(CutSeriesTitle(L"[新][字]シリーズ名\u3000第3話「題」"), L"シリーズ名");
  EXPECT_EQ(CutSeriesTitle(L"シリーズ名「副題」"), L"シリーズ名");
  EXPECT_EQ(CutSeriesTitle(L"シリーズ名＃5"), L"シリーズ名");
  EXPECT_EQ(CutSeriesTitle(L"シリーズ名 #5"), L"シリーズ名");
  EXPECT_EQ(CutSeriesTitle(L"シリーズ名 [再]"), L"シリーズ名");
  EXPECT_EQ(CutSeriesTitle(L"次第に"), L"次第に");  // 第 not after a space stays
}

TEST(SkipPrefixTest, IndexAfterPrefixOrStart) {
  EXPECT_EQ(SkipPrefix(L"cmd=list", L"cmd="), 4u);
  EXPECT_EQ(SkipPrefix(L"cm", L"cmd="), 0u);
  EXPECT_EQ(SkipPrefix(L"abc", L""), 0u);
}

TEST(ParseQuotedTokenTest, ReadsTokenOrLeavesOutputUnchanged) {
  std::wstring out = L"old";
  EXPECT_EQ(ParseQuotedToken(L"'ab'rest", out, 512), 4u);
  EXPECT_EQ(out, L"ab");
  EXPECT_EQ(ParseQuotedToken(L"ab'rest", out, 512), 3u);  // opening quote optional
  EXPECT_EQ(out, L"ab");
  EXPECT_EQ(ParseQuotedToken(L"''x", out, 512), 2u);
  EXPECT_EQ(out, L"");

  out = L"old";
  EXPECT_EQ(ParseQuotedToken(L"'no closing", out, 512), 1u);
  EXPECT_EQ(ParseQuotedToken(L"no quote", out, 512), 0u);
  EXPECT_EQ(out, L"old");
}

TEST(ParseQuotedTokenTest, TokenMustStayBelowCapacity) {
  std::wstring out = L"old";
  EXPECT_EQ(ParseQuotedToken(L"'abcd'", out, 4), 1u);
  EXPECT_EQ(out, L"old");
  EXPECT_EQ(ParseQuotedToken(L"'abc'", out, 4), 5u);
  EXPECT_EQ(out, L"abc");
}

}  // namespace
}  // namespace plimod
