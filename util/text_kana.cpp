#include "util/text_kana.h"

#include <string_view>

#include "util/text_width.h"

namespace plimod {
namespace {

constexpr wchar_t kVoicedMark = L'\uFF9E';      // ﾞ
constexpr wchar_t kSemiVoicedMark = L'\uFF9F';  // ﾟ

// 。「」、・ヲァィゥェォャュョッー -> U+FF61 + index
constexpr std::wstring_view kPunctuationAndSmall =
    L"\u3002\u300C\u300D\u3001\u30FB\u30F2\u30A1\u30A3\u30A5\u30A7\u30A9\u30E3\u30E5\u30E7"
    L"\u30C3\u30FC";

// アイウエオ カキクケコ サシスセソ タチツテト ナニヌネノ ハヒフヘホ マミムメモ
// ヤユヨ ラリルレロ ワン ゛゜ -> U+FF71 + index
constexpr std::wstring_view kPlainKana =
    L"\u30A2\u30A4\u30A6\u30A8\u30AA"
    L"\u30AB\u30AD\u30AF\u30B1\u30B3"
    L"\u30B5\u30B7\u30B9\u30BB\u30BD"
    L"\u30BF\u30C1\u30C4\u30C6\u30C8"
    L"\u30CA\u30CB\u30CC\u30CD\u30CE"
    L"\u30CF\u30D2\u30D5\u30D8\u30DB"
    L"\u30DE\u30DF\u30E0\u30E1\u30E2"
    L"\u30E4\u30E6\u30E8"
    L"\u30E9\u30EA\u30EB\u30EC\u30ED"
    L"\u30EF\u30F3"
    L"\u309B\u309C";

struct MarkedRow {
  std::wstring_view kana;  // five full-width kana
  wchar_t firstBase;       // half-width base of the first one
  wchar_t mark;            // the voiced or semi-voiced mark that follows
};

constexpr MarkedRow kMarkedRows[] = {
    {L"\u30AC\u30AE\u30B0\u30B2\u30B4", L'\uFF76', kVoicedMark},      // ガギグゲゴ -> ｶ..
    {L"\u30B6\u30B8\u30BA\u30BC\u30BE", L'\uFF7B', kVoicedMark},      // ザジズゼゾ -> ｻ..
    {L"\u30C0\u30C2\u30C5\u30C7\u30C9", L'\uFF80', kVoicedMark},      // ダヂヅデド -> ﾀ..
    {L"\u30D0\u30D3\u30D6\u30D9\u30DC", L'\uFF8A', kVoicedMark},      // バビブベボ -> ﾊ..
    {L"\u30D1\u30D4\u30D7\u30DA\u30DD", L'\uFF8A', kSemiVoicedMark},  // パピプペポ -> ﾊ..
};

constexpr wchar_t kVu = L'\u30F4';        // ヴ
constexpr wchar_t kHalfWidthU = L'\uFF73';  // ｳ

// （）！？／＃．， -> ()!?/#.,
constexpr std::wstring_view kFullWidthSigns = L"\uFF08\uFF09\uFF01\uFF1F\uFF0F\uFF03\uFF0E\uFF0C";
constexpr std::wstring_view kAsciiSigns = L"()!?/#.,";

void AppendHalfWidthKana(wchar_t c, std::wstring& out) {
  std::wstring_view::size_type i;
  if ((i = kPunctuationAndSmall.find(c)) != std::wstring_view::npos) {
    out += static_cast<wchar_t>(L'\uFF61' + i);
    return;
  }
  if ((i = kPlainKana.find(c)) != std::wstring_view::npos) {
    out += static_cast<wchar_t>(L'\uFF71' + i);
    return;
  }
  for (const MarkedRow& row : kMarkedRows) {
    if ((i = row.kana.find(c)) != std::wstring_view::npos) {
      out += static_cast<wchar_t>(row.firstBase + i);
      out += row.mark;
      return;
    }
  }
  if (c == kVu) {
    out += kHalfWidthU;
    out += kVoicedMark;
    return;
  }
  if ((i = kFullWidthSigns.find(c)) != std::wstring_view::npos) {
    out += kAsciiSigns[i];
    return;
  }
  out += c;
}

}  // namespace

std::wstring ToHalfWidthKana(const std::wstring& text) {
  std::wstring alnum = ToHalfWidthAlnum(text);
  std::wstring out;
  out.reserve(alnum.size() + alnum.size() / 4);
  for (wchar_t c : alnum) AppendHalfWidthKana(c, out);
  return out;
}

}  // namespace plimod
