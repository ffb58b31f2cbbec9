#include "util/text_html.h"
#include "util/text_shell_error.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

std::wstring Escaped(std::wstring text) {
  HtmlEscape(text);
  return text;
}

std::wstring Unescaped(std::wstring text) {
  HtmlUnescape(text);
  return text;
}

TEST(HtmlEscapeTest, EscapesInOnePass) {
  EXPECT_EQ(Escaped(L"<a href=\"x\">&amp;</a>"),
            L"&lt;a href=&quot;x&quot;&gt;&amp;amp;&lt;/a&gt;");
  EXPECT_EQ(Escaped(L"'番組'"), L"'番組'");
  EXPECT_EQ(Escaped(L""), L"");
}

TEST(HtmlUnescapeTest, NamedReferencesEachOverTheWholeText) {
  EXPECT_EQ(Unescaped(L"&lt;b&gt; &quot;x&quot; &amp; y"), L"<b> \"x\" & y");
  EXPECT_EQ(Unescaped(L"&amp;lt;"), L"&lt;");
  EXPECT_EQ(Unescaped(L"&amp;amp;"), L"&amp;");
  EXPECT_EQ(Unescaped(L"&apos;&nbsp;"), L"&apos;&nbsp;");
}

TEST(HtmlUnescapeTest, DecimalReferencesOnly) {
  EXPECT_EQ(Unescaped(L"&#65;&#x41;"), L"A&#x41;");
  EXPECT_EQ(Unescaped(L"&#12354;&#128512;"), L"あ\U0001F600");
  EXPECT_EQ(Unescaped(L"&#0065;"), L"A");
  EXPECT_EQ(Unescaped(L"&#38;#65;"), L"&#65;");  // produced text is not read again
  EXPECT_EQ(Unescaped(L"a&#;b&#6x;&#65"), L"a&#;b&#6x;&#65");
  EXPECT_EQ(Unescaped(L"&#&#66;"), L"&#B");
}

TEST(HtmlUnescapeTest, UnsafeReferencesStayAsText) {
  for (const wchar_t* text : {L"&#0;", L"&#00000065;", L"&#99999999999999999999;", L"&#1114112;",
                              L"&#55296;", L"&#57343;"})
    EXPECT_EQ(Unescaped(text), text);
  EXPECT_EQ(Unescaped(L"&#1114111;"), std::wstring(1, L'\U0010FFFF'));
}

TEST(ShellExecuteErrorTextTest, KnownCodesAndOthers) {
  EXPECT_EQ(ShellExecuteErrorText(0), L"メモリまたはリソースが足りません");
  EXPECT_EQ(ShellExecuteErrorText(8), L"メモリまたはリソースが足りません");
  EXPECT_EQ(ShellExecuteErrorText(2), L"ファイルがありません");
  EXPECT_EQ(ShellExecuteErrorText(11), L"Windowsアプリケーションではありません");
  EXPECT_EQ(ShellExecuteErrorText(27), L"ファイルの関連付けがありません");
  EXPECT_EQ(ShellExecuteErrorText(31), L"ファイルの関連付けがありません");
  EXPECT_EQ(ShellExecuteErrorText(32), L"DLLがありません");
  for (int code : {-1, 1, 4, 33, 42})
    EXPECT_EQ(ShellExecuteErrorText(code), L"") << code;
}

}  // namespace
}  // namespace plimod
