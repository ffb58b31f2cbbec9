#include "util/text_regex.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

const std::wstring kPathological = std::wstring(40, L'a') + L"c";
const std::wstring kPathologicalPattern = L"(a+)+b";

TEST(RegexEraseTest, ErasesGroupOneOrWholeFirstMatch) {
  std::wstring text = L"ab123cd";
  EXPECT_TRUE(RegexErase(text, L"([0-9]+)"));
  EXPECT_EQ(text, L"abcd");

  text = L"ab123cd";
  EXPECT_TRUE(RegexErase(text, L"[0-9]"));
  EXPECT_EQ(text, L"ab23cd");

  text = L"ab123cd";
  EXPECT_TRUE(RegexErase(text, L"b([0-9])2"));
  EXPECT_EQ(text, L"ab23cd");
}

TEST(RegexEraseTest, MatchWithoutErasingStillCountsAsMatch) {
  std::wstring text = L"abc";
  EXPECT_TRUE(RegexErase(text, L"(x)?b"));
  EXPECT_EQ(text, L"abc");
}

TEST(RegexEraseTest, NoMatchInvalidOrPathologicalPatternGivesFalse) {
  std::wstring text = L"abc";
  EXPECT_FALSE(RegexErase(text, L"x"));
  EXPECT_FALSE(RegexErase(text, L"("));
  EXPECT_FALSE(RegexErase(text, L"[a-"));
  EXPECT_EQ(text, L"abc");

  std::wstring long_text = kPathological;
  EXPECT_FALSE(RegexErase(long_text, kPathologicalPattern));
  EXPECT_EQ(long_text, kPathological);
}

TEST(RegexEraseAllTest, ErasesEveryMatchAndStopsWhenNothingIsErased) {
  std::wstring text = L"a1b22c333";
  EXPECT_EQ(RegexEraseAll(text, L"[0-9]+"), 3u);
  EXPECT_EQ(text, L"abc");

  // Matches for ever without erasing anything: must not spin.
  text = L"abc";
  EXPECT_EQ(RegexEraseAll(text, L"(x)?b"), 0u);
  EXPECT_EQ(text, L"abc");
  EXPECT_EQ(RegexEraseAll(text, L"x*"), 0u);

  EXPECT_EQ(RegexEraseAll(text, L"("), 0u);
  EXPECT_EQ(text, L"abc");
}

TEST(RegexExtractTest, WholeFirstMatchEmptyOrErrorText) {
  EXPECT_EQ(RegexExtract(L"abbbcbb", L"b+"), L"bbb");
  EXPECT_EQ(RegexExtract(L"abc", L"x"), L"");
  EXPECT_EQ(RegexExtract(L"abc", L"x*"), L"");
  EXPECT_EQ(RegexExtract(L"abc", L"("), L"[regexerr]");
  EXPECT_EQ(RegexExtract(kPathological, kPathologicalPattern), L"[regexerr]");
}

TEST(RegexExtractGroupsTest, GroupsWholeMatchOrUnchanged) {
  std::vector<std::wstring> out;
  EXPECT_TRUE(RegexExtractGroups(L"第12話 (再)", L"第([0-9]+)話( \\(再\\))?(x)?", out));
  EXPECT_EQ(out, (std::vector<std::wstring>{L"12", L" (再)", L""}));

  EXPECT_TRUE(RegexExtractGroups(L"ab12", L"[0-9]+", out));
  EXPECT_EQ(out, (std::vector<std::wstring>{L"12"}));

  EXPECT_FALSE(RegexExtractGroups(L"abc", L"([0-9]+)", out));
  EXPECT_FALSE(RegexExtractGroups(L"abc", L"(", out));
  EXPECT_EQ(out, (std::vector<std::wstring>{L"12"}));
}

// The helpers classify characters with the UTF-8 locale whatever the process
// locale is (the test program never sets one), and keep Perl's defaults.
TEST(RegexSyntaxTest, UnicodeClassesAndPerlDefaults) {
  EXPECT_EQ(RegexExtract(L"a\u3000b", L"\\s"), L"\u3000");
  EXPECT_EQ(RegexExtract(L"漢字abc", L"\\w+"), L"漢字abc");
  EXPECT_EQ(RegexExtract(L"a\nb", L"a.b"), L"a\nb");       // "." takes a line break
  EXPECT_EQ(RegexExtract(L"xa\nbc", L"^b."), L"bc");       // "^" at each line
  EXPECT_EQ(RegexExtract(L"ab\ncd", L"b$"), L"b");         // "$" at each line
  EXPECT_EQ(RegexExtract(L"x12y", L"(?<=x)\\d+(?=y)"), L"12");
}

TEST(CompileRegexTest, ReportsInvalidPatterns) {
  boost::wregex re;
  EXPECT_TRUE(CompileRegex(L"[0-9]+", re));
  std::wstring text = L"a12b";
  EXPECT_TRUE(RegexErase(text, re));
  EXPECT_EQ(text, L"ab");
  EXPECT_FALSE(CompileRegex(L"a{2,1}", re));
  EXPECT_FALSE(RegexErase(text, re));  // the emptied expression matches nothing
}

}  // namespace
}  // namespace plimod
