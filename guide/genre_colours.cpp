#include "guide/genre_colours.h"

#include <cstdio>

namespace plimod {

namespace {

constexpr std::wstring_view kGenreColourKeys[kGenreColourCount] = {
    L"ニュース・報道", L"スポーツ",     L"情報・ワイドショー", L"ドラマ",   L"音楽",
    L"バラエティ",     L"映画",         L"アニメ・漫画",       L"ドキュメンタリー・教養",
    L"劇場・公演",     L"趣味・教育",   L"福祉",               L"ジャンル無し"};
constexpr unsigned kGenreColourDefaults[kGenreColourCount] = {
    0xF3CFFC, 0xEDFA90, 0x97D5F9, 0xF5C5F8, 0xFEC7A2, 0xE6E6FF, 0xCBEAC3,
    0xFDE47F, 0x83D999, 0xFFEEFA, 0xFFEEFA, 0xFFEEFA, 0xC0C0C0};

bool IsEntry(int index) { return index >= 0 && index < kGenreColourCount; }

}  // namespace

std::wstring_view GenreColourKey(int index) {
  return IsEntry(index) ? kGenreColourKeys[index] : std::wstring_view();
}

std::string DefaultGenreColour(int index) {
  if (!IsEntry(index)) return {};
  char text[16];
  std::snprintf(text, sizeof text, "#%06x", kGenreColourDefaults[index]);
  return text;
}

}  // namespace plimod
