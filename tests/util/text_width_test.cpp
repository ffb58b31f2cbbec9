#include "util/text_kana.h"
#include "util/text_width.h"

#include <gtest/gtest.h>

#include <map>

namespace plimod {
namespace {

// Full-width letters and digits, each checked against its ASCII form, and
// the code points just outside each range checked as untouched.
TEST(WidthTest, EveryFullWidthLetterAndDigitBecomesAscii) {
  const std::wstring ascii = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const std::wstring full =
      L"０１２３４５６７８９ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
      L"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ";
  EXPECT_EQ(ToHalfWidthAlnum(full), ascii);
  EXPECT_EQ(ToHalfWidthAlnumCopy(full), ascii);
  EXPECT_EQ(ToHalfWidthForMatch(full), ascii);
  EXPECT_EQ(ToHalfWidthKana(full), ascii);

  const std::wstring neighbours = L"\uFF0F\uFF1A\uFF20\uFF3B\uFF40\uFF5B\uFF01";
  EXPECT_EQ(ToHalfWidthAlnum(neighbours), neighbours);
  EXPECT_EQ(ToHalfWidthAlnum(L"漢\u3000a-"), L"漢 a-");
}

TEST(WidthTest, ToFullWidthLowerFoldsLettersDigitsAndCase) {
  std::wstring text = L"Ab1";
  toFullWidthLower(text);
  EXPECT_EQ(text, L"ａｂ１");

  std::wstring all = L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  toFullWidthLower(all);
  EXPECT_EQ(all,
            L"０１２３４５６７８９ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"
            L"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ");

  std::wstring capitals = L"ＡＺａ";
  toFullWidthLower(capitals);
  EXPECT_EQ(capitals, L"ａｚａ");

  std::wstring others = L"!@[`{~ -\u3000漢ア＠［";
  toFullWidthLower(others);
  EXPECT_EQ(others, L"!@[`{~ - 漢ア＠［");
}

TEST(WidthTest, ToHalfWidthForMatchTurnsHyphensIntoBlanks) {
  EXPECT_EQ(ToHalfWidthForMatch(L"Ａ－Ｂ"), L"A B");
  EXPECT_EQ(ToHalfWidthForMatch(L"a-b\u3000c"), L"a b c");
  EXPECT_EQ(ToHalfWidthForMatch(L"Ｕ\u2212２９"), L"U 29");
  EXPECT_EQ(ToHalfWidthAlnum(L"Ａ－Ｂ"), L"A－B");
}

// Expected forms written with glyphs (checked against Unicode's compatibility
// mappings), independently of the code-point tables in the code.
std::map<wchar_t, std::wstring> ExpectedKana() {
  std::map<wchar_t, std::wstring> table;
  auto pairUp = [&](std::wstring_view full, std::wstring_view half, std::size_t step) {
    ASSERT_EQ(full.size() * step, half.size());
    for (std::size_t i = 0; i < full.size(); ++i)
      table[full[i]] = std::wstring(half.substr(i * step, step));
  };
  pairUp(L"。「」、・ヲァィゥェォャュョッー", L"｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰ", 1);
  pairUp(L"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン",
         L"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ", 1);
  pairUp(L"゛゜", L"\uFF9E\uFF9F", 1);
  pairUp(L"ガギグゲゴザジズゼゾダヂヅデドバビブベボパピプペポヴ",
         L"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｳﾞ", 2);
  pairUp(L"（）！？／＃．，", L"()!?/#.,", 1);
  table[L'\u3000'] = L" ";
  return table;
}

// Every character of the CJK punctuation, hiragana, katakana and
// half/full-width blocks: in the table, or copied unchanged.
TEST(ToHalfWidthKanaTest, WholeBlocksFollowTheTable) {
  const std::map<wchar_t, std::wstring> expected = ExpectedKana();
  for (wchar_t c = 0x3000; c <= 0x30FF; ++c) {
    auto it = expected.find(c);
    EXPECT_EQ(ToHalfWidthKana(std::wstring(1, c)), it != expected.end() ? it->second : std::wstring(1, c))
        << "U+" << std::hex << static_cast<unsigned>(c);
  }
  for (wchar_t c = 0xFF00; c <= 0xFFEF; ++c) {
    if ((c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A))
      continue;  // letters and digits: checked above
    auto it = expected.find(c);
    EXPECT_EQ(ToHalfWidthKana(std::wstring(1, c)), it != expected.end() ? it->second : std::wstring(1, c))
        << "U+" << std::hex << static_cast<unsigned>(c);
  }
}

TEST(ToHalfWidthKanaTest, Words) {
  EXPECT_EQ(ToHalfWidthKana(L"ガッコウ"), L"ｶﾞｯｺｳ");
  EXPECT_EQ(ToHalfWidthKana(L"ヴァイオリン"), L"ｳﾞｧｲｵﾘﾝ");
  EXPECT_EQ(ToHalfWidthKana(L"（Ａ）　パーティー！"), L"(A) ﾊﾟｰﾃｨｰ!");
  EXPECT_EQ(ToHalfWidthKana(L"ひらがなと漢字"), L"ひらがなと漢字");
  EXPECT_EQ(ToHalfWidthKana(L""), L"");
}

}  // namespace
}  // namespace plimod
