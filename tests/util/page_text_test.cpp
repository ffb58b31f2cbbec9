// Escaping of outside texts for pages: exactly the four characters are
// replaced, everything else (references, multibyte text, NUL) passes as is.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "util/page_text.h"

namespace plimod {
namespace {

std::string EscapedOneByOne(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

TEST(PageText, ReplacesOnlyTheFourMarkupCharacters) {
  EXPECT_EQ(PageText(std::string_view("<a href=\"x\">it's</a> &amp; ok")),
            "&lt;a href=&quot;x&quot;&gt;it&#39;s&lt;/a&gt; &amp; ok");
  EXPECT_EQ(PageText(std::string_view("")), "");
  EXPECT_EQ(PageText(std::string_view("'")), "&#39;");
  EXPECT_EQ(PageText(std::wstring_view(L"番組<終>")), "番組&lt;終&gt;");
  EXPECT_EQ(PageText(std::string_view("a\0<b", 4)), std::string("a\0&lt;b", 7));
}

TEST(PageText, RandomTextsMatchCharacterByCharacterEscaping) {
  std::mt19937 random(7);
  const std::string alphabet = std::string("<>\"'&; ab\xe7\x95\xaa\n", 14) + std::string(1, '\0');
  for (int round = 0; round < 500; ++round) {
    std::string text;
    for (std::size_t i = random() % 40; i > 0; --i) text += alphabet[random() % alphabet.size()];
    ASSERT_EQ(PageText(std::string_view(text)), EscapedOneByOne(text)) << text;
  }
}

}  // namespace
}  // namespace plimod
