#include "epg/genre_names.h"

#include <array>

namespace plimod {
namespace {

constexpr std::array<std::wstring_view, kGenreNameCount> kGenreNames = {
    L"ニュース・報道", L"スポーツ", L"情報・ワイドショー", L"ドラマ",
    L"音楽",           L"バラエティ", L"映画",           L"アニメ・漫画",
    L"ドキュメンタリー・教養", L"劇場・公演", L"趣味・教育", L"福祉",
};

}  // namespace

std::wstring_view GenreName(int number) {
  if (number < 0 || number >= kGenreNameCount) return {};
  return kGenreNames[static_cast<std::size_t>(number)];
}

}  // namespace plimod
