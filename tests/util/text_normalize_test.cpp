#include "util/text_normalize.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/text_codec.h"

namespace plimod {
namespace {

std::wstring Normalized(std::wstring text, std::wstring_view userList = L"") {
  NormalizeText(text, userList);
  return text;
}

std::wstring WithList(std::wstring text, std::wstring_view list) {
  ApplyNormalizeList(text, list);
  return text;
}

TEST(ApplyNormalizeListTest, LaterCharactersFoldIntoTheFirst) {
  EXPECT_EQ(WithList(L"abcabc", L"abc"), L"aaaaaa");
  EXPECT_EQ(WithList(L"abcxyz", L"  ab   xyz  "), L"aacxxx");
  EXPECT_EQ(WithList(L"abc", L"a b c"), L"abc");  // one-character groups fold nothing
  EXPECT_EQ(WithList(L"aba", L"aab"), L"aaa");
  EXPECT_EQ(WithList(L"abc", L""), L"abc");
}

TEST(ApplyNormalizeListTest, GroupsApplyInOrder) {
  // b -> a, then a -> c: both end as c.
  EXPECT_EQ(WithList(L"abd", L"ab ca"), L"ccd");
  // a -> c first, then b -> a: the b stays an a.
  EXPECT_EQ(WithList(L"abd", L"ca ab"), L"cad");
  // a -> b, then b -> a: everything ends as a.
  EXPECT_EQ(WithList(L"ab", L"ba ab"), L"aa");
  NormalizePairs pairs = ParseNormalizeList(L"ab ca");
  EXPECT_EQ(pairs, (NormalizePairs{{L'b', L'a'}, {L'a', L'c'}}));
}

TEST(ApplyNormalizeListTest, AtMost256Groups) {
  std::wstring list;
  for (int i = 0; i < 256; ++i) list += L"x\uE000 ";  // each folds U+E000 into x
  list += L"yz";
  EXPECT_EQ(ParseNormalizeList(list).size(), 256u);
  EXPECT_EQ(WithList(L"z\uE000", list), L"zx");
}

TEST(BuiltInNormalizeListTest, FoldsTowardsTheTableTargets) {
  EXPECT_EQ(Normalized(L"<>"), L"＜＞");
  EXPECT_EQ(Normalized(L"＜＞"), L"＜＞");
  EXPECT_EQ(Normalized(L"＝＋"), L"=+");
  EXPECT_EQ(Normalized(L"！＃＄％（）＊，－．／：；？＠＾＿｀｛｜｝～"), L"!#$%()*,-./:;?@^_`{|}~");
  EXPECT_EQ(Normalized(L"“引用”"), L"\"引用\"");
  EXPECT_EQ(Normalized(L"'‘’"), L"’’’");
  EXPECT_EQ(Normalized(L"［「【題】」］"), L"[[[題]]]");
  EXPECT_EQ(Normalized(L"￥"), L"\\");
  EXPECT_EQ(Normalized(L"!\"#$%()*+,-./:;=?@[\\]^_`{|}~"), L"!\"#$%()*+,-./:;=?@[\\]^_`{|}~");
}

TEST(BuiltInNormalizeListTest, JisAndCodePageFormsOfAMarkFoldAlike) {
  // JIS form (as the decoder writes it), code page 932 form, and ASCII where there is one.
  const std::vector<std::wstring> alike[] = {
      {L"\u301C", L"\uFF5E", L"~"}, {L"\u2212", L"\uFF0D", L"-"}, {L"\u2016", L"\u2225"},
      {L"\u00A2", L"\uFFE0"},       {L"\u00A3", L"\uFFE1"},       {L"\u00AC", L"\uFFE2"},
  };
  for (const std::vector<std::wstring>& forms : alike) {
    for (const std::wstring& form : forms) EXPECT_EQ(Normalized(form), Normalized(forms.back()));
  }
  EXPECT_EQ(Normalized(L"\u2016"), L"\u2225");  // folded into the code-page form
}

TEST(NormalizeTextTest, UserListThenBuiltInThenFullWidthLower) {
  EXPECT_EQ(Normalized(L"Ab1 ＣＤ\u3000ｅ"), L"ａｂ１ ｃｄ ｅ");
  // The user's list runs first, so its result is folded again by the built-in list.
  EXPECT_EQ(Normalized(L"★☆", L"＝★☆"), L"==");
  EXPECT_EQ(Normalized(L"ヴァ", L"バヴ"), L"バァ");
}

TEST(NormalizedCopyTest, KeepsTheFirst8191Characters) {
  std::wstring text(8200, L'A');
  std::wstring copy = NormalizedCopy(text, L"");
  EXPECT_EQ(copy, std::wstring(8191, L'ａ'));
  EXPECT_EQ(NormalizedCopy(L"Ｔｅｓｔ＜＞", L""), L"ｔｅｓｔ＜＞");
}

TEST(EscapeSearchWordTest, BlanksAndAmpersands) {
  std::wstring word = L"a b&c  &";
  escapeSearchWord(word);
  EXPECT_EQ(word, L"a+b＆c++＆");
}

}  // namespace
}  // namespace plimod

namespace plimod {
namespace {

std::u16string WidePathForm(std::wstring_view text, std::wstring_view userList) {
  std::wstring form = NormalizedCopy(text, userList);
  escapeSearchWord(form);
  return WideToUtf16(form);
}

TEST(SearchFormTableTest, GivesWhatTheWidePathGives) {
  const std::wstring userList = L"ヴブ あア";
  const SearchFormTable table(userList);
  ASSERT_TRUE(table.Usable());
  std::wstring text = L"ＡＢＣ abc　ヴァイオリン&「映画」<b> \U0001F600あ";
  // Long enough to be cut: the cut counts a pair as one character.
  std::wstring longText;
  while (longText.size() < 9000) longText += L"x\U0001F600ア ";
  for (const std::wstring& sample : {text, longText, std::wstring()}) {
    std::u16string form;
    table.Form(WideToUtf16(sample), form);
    EXPECT_EQ(form, WidePathForm(sample, userList));
  }
}

TEST(SearchFormTableTest, AListNamingCharactersBeyondTheBasicPlaneIsNotUsable) {
  EXPECT_FALSE(SearchFormTable(L"a\U0001F600").Usable());
  EXPECT_TRUE(SearchFormTable(L"").Usable());
}

}  // namespace
}  // namespace plimod
