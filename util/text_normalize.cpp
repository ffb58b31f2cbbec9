#include "util/text_normalize.h"

#include <algorithm>
#include <map>

#include "platform/text_codec.h"
#include "util/text_width.h"

namespace plimod {
namespace {

constexpr std::size_t kMaxGroups = 256;
constexpr std::size_t kNormalizedLength = 8191;

// Groups in the order they are applied; the first character of each is the
// one the others fold into. Written with code points where glyphs look alike.
// The marks that JIS and code page 932 map apart (the decoder writes the JIS
// forms, a Windows input method types the others, and the recorder's files
// hold both as one code) fold together, so either form finds the other.
constexpr std::wstring_view kBuiltInList =
    L"!\uFF01 "              // ！
    L"\"\u201C\u201D "       // “ ”
    L"#\uFF03 "              // ＃
    L"$\uFF04 "              // ＄
    L"%\uFF05 "              // ％
    L"\u2019'\u2018 "        // ’ <- ' ‘
    L"(\uFF08 "              // （
    L")\uFF09 "              // ）
    L"*\uFF0A "              // ＊
    L"+\uFF0B "              // ＋
    L",\uFF0C "              // ，
    L"-\uFF0D\u2212 "        // － −
    L".\uFF0E "              // ．
    L"/\uFF0F "              // ／
    L":\uFF1A "              // ：
    L";\uFF1B "              // ；
    L"\uFF1C< "              // ＜ <- <
    L"=\uFF1D "              // ＝
    L"\uFF1E> "              // ＞ <- >
    L"?\uFF1F "              // ？
    L"@\uFF20 "              // ＠
    L"[\uFF3B\u300C\u3010 "  // ［ 「 【
    L"\\\uFFE5 "             // ￥
    L"]\uFF3D\u300D\u3011 "  // ］ 」 】
    L"^\uFF3E "              // ＾
    L"_\uFF3F "              // ＿
    L"`\uFF40 "              // ｀
    L"{\uFF5B "              // ｛
    L"|\uFF5C "              // ｜
    L"}\uFF5D "              // ｝
    L"~\uFF5E\u301C "        // ～ 〜
    L"\u2225\u2016 "         // ∥ <- ‖
    L"\uFFE0\u00A2 "         // ￠ <- ¢
    L"\uFFE1\u00A3 "         // ￡ <- £
    L"\uFFE2\u00AC";         // ￢ <- ¬

// The pairs composed into one lookup: each source character maps to where
// running it through every step in order leaves it.
class CharFold {
 public:
  // Built from the last step back: a step a -> b sends a wherever b ends up
  // after the later steps.
  explicit CharFold(const NormalizePairs& pairs) {
    std::map<wchar_t, wchar_t> ends;
    for (auto step = pairs.rbegin(); step != pairs.rend(); ++step) {
      auto later = ends.find(step->second);
      ends[step->first] = later != ends.end() ? later->second : step->second;
    }
    map_.assign(ends.begin(), ends.end());
  }

  void Apply(std::wstring& text) const {
    if (map_.empty()) return;
    for (wchar_t& c : text) {
      auto it = Find(c);
      if (it != map_.end()) c = it->second;
    }
  }

 private:
  NormalizePairs::const_iterator Find(wchar_t c) const {
    auto it = std::lower_bound(map_.begin(), map_.end(), c,
                               [](const auto& entry, wchar_t key) { return entry.first < key; });
    return it != map_.end() && it->first == c ? it : map_.end();
  }

  NormalizePairs map_;
};

const CharFold& BuiltInFold() {
  static const CharFold fold(ParseNormalizeList(kBuiltInList));
  return fold;
}

}  // namespace

NormalizePairs ParseNormalizeList(std::wstring_view list) {
  NormalizePairs pairs;
  std::size_t groups = 0;
  std::size_t pos = 0;
  while (groups < kMaxGroups) {
    pos = list.find_first_not_of(L' ', pos);
    if (pos == std::wstring_view::npos) break;
    std::size_t end = std::min(list.find(L' ', pos), list.size());
    std::wstring_view group = list.substr(pos, end - pos);
    for (wchar_t c : group.substr(1))
      if (c != group[0]) pairs.emplace_back(c, group[0]);
    ++groups;
    pos = end;
  }
  return pairs;
}

void ApplyNormalizePairs(std::wstring& text, const NormalizePairs& pairs) {
  CharFold(pairs).Apply(text);
}

void ApplyNormalizeList(std::wstring& text, std::wstring_view list) {
  ApplyNormalizePairs(text, ParseNormalizeList(list));
}

std::wstring_view BuiltInNormalizeList() { return kBuiltInList; }

void NormalizeText(std::wstring& text, std::wstring_view userList) {
  ApplyNormalizeList(text, userList);
  BuiltInFold().Apply(text);
  toFullWidthLower(text);
}

std::wstring NormalizedCopy(std::wstring_view text, std::wstring_view userList) {
  std::wstring out(text.substr(0, kNormalizedLength));
  NormalizeText(out, userList);
  return out;
}

SearchFormTable::SearchFormTable(std::wstring_view userList) {
  for (wchar_t c : userList) {
    if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) usable_ = false;
  }
  constexpr std::size_t kUnits = 0x10000;
  std::wstring all(kUnits, L'\0');
  for (std::size_t c = 0; c < kUnits; ++c) all[c] = static_cast<wchar_t>(c);
  NormalizeText(all, userList);
  escapeSearchWord(all);
  map_.resize(kUnits);
  for (std::size_t c = 0; c < kUnits; ++c) {
    // Surrogates stay as they are: no list folds them when the table is usable.
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    map_[c] = surrogate ? static_cast<char16_t>(c) : static_cast<char16_t>(all[c]);
  }
}

void SearchFormTable::Form(std::u16string_view text, std::u16string& out) const {
  const std::size_t units = Utf16PrefixUnits(text, kNormalizedLength);
  out.resize(units);
  for (std::size_t i = 0; i < units; ++i) out[i] = map_[text[i]];
}

void escapeSearchWord(std::wstring& text) {
  for (wchar_t& c : text) {
    if (c == L' ') c = L'+';
    else if (c == L'&') c = L'\uFF06';
  }
}

}  // namespace plimod
