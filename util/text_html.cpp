#include "util/text_html.h"

#include <string_view>

namespace plimod {
namespace {

constexpr std::size_t kMaxReferenceDigits = 7;  // 1114111 = U+10FFFF

void ReplaceAll(std::wstring& text, std::wstring_view from, std::wstring_view to) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(from, pos)) != std::wstring::npos; pos = hit + from.size()) {
    out.append(text, pos, hit - pos);
    out.append(to);
  }
  out.append(text, pos, std::wstring::npos);
  text.swap(out);
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsValidReferenceValue(unsigned long value) {
  return value != 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
}

// The character of the decimal reference at text[pos] ("&#" known); 0 when
// it is not a complete, valid one. `length` receives the reference's length.
wchar_t ReadDecimalReference(const std::wstring& text, std::size_t pos, std::size_t& length) {
  std::size_t digitsBegin = pos + 2;
  std::size_t end = digitsBegin;
  while (end < text.size() && IsDigit(text[end])) ++end;
  std::size_t digits = end - digitsBegin;
  if (digits == 0 || digits > kMaxReferenceDigits || end >= text.size() || text[end] != L';')
    return 0;
  unsigned long value = 0;
  for (std::size_t i = digitsBegin; i < end; ++i) value = value * 10 + (text[i] - L'0');
  if (!IsValidReferenceValue(value)) return 0;
  length = end + 1 - pos;
  return static_cast<wchar_t>(value);
}

void ReplaceDecimalReferences(std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t hit; (hit = text.find(L"&#", pos)) != std::wstring::npos;) {
    out.append(text, pos, hit - pos);
    std::size_t length = 0;
    wchar_t c = ReadDecimalReference(text, hit, length);
    if (c != 0) {
      out += c;
      pos = hit + length;
    } else {
      out.append(L"&#");
      pos = hit + 2;
    }
  }
  out.append(text, pos, std::wstring::npos);
  text.swap(out);
}

}  // namespace

void HtmlEscape(std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 8);
  for (wchar_t c : text) {
    switch (c) {
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'&': out += L"&amp;"; break;
      case L'"': out += L"&quot;"; break;
      default: out += c; break;
    }
  }
  text.swap(out);
}

void HtmlUnescape(std::wstring& text) {
  ReplaceAll(text, L"&lt;", L"<");
  ReplaceAll(text, L"&gt;", L">");
  ReplaceAll(text, L"&quot;", L"\"");
  ReplaceAll(text, L"&amp;", L"&");
  ReplaceDecimalReferences(text);
}

}  // namespace plimod
