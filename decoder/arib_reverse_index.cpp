#include "decoder/arib_reverse_index.h"

#include <algorithm>

#include "decoder/arib_tables.h"

namespace arib {
namespace {

constexpr int kLastKanjiRow = 84;  // rows after this belong to the additional-symbol set

void AddCell(uint32_t cell, TwoByteCode code, ReverseIndex& index) {
  if (cell == 0) return;
  if ((cell & kTextFlag) == 0) {
    index.single.try_emplace(static_cast<char32_t>(cell), code);
    return;
  }
  std::u16string text(kTextPool + ((cell >> 8) & 0x7FFFFF), cell & 0xFF);
  auto& list = index.sequences[text.front()];
  const bool known = std::any_of(list.begin(), list.end(),
                                 [&](const TextCode& t) { return t.text == text; });
  if (!known) list.push_back({std::move(text), code});
}

void AddTable(const uint32_t* cells, bool plane1, ReverseIndex& index) {
  for (int row = 0; row < kSetCells; ++row) {
    for (int cell = 0; cell < kSetCells; ++cell) {
      TwoByteCode code;
      code.set = plane1                     ? Charset::kPlane1
                 : row + 1 <= kLastKanjiRow ? Charset::kKanji
                                            : Charset::kSymbols;
      code.c1 = static_cast<uint8_t>(row + 0x21);
      code.c2 = static_cast<uint8_t>(cell + 0x21);
      AddCell(cells[row * kSetCells + cell], code, index);
    }
  }
}

ReverseIndex Build() {
  ReverseIndex index;
  AddTable(kKanjiCells, false, index);
  AddTable(kPlane1Cells, true, index);
  for (auto& [first, list] : index.sequences) {
    std::stable_sort(list.begin(), list.end(), [](const TextCode& a, const TextCode& b) {
      return a.text.size() > b.text.size();
    });
  }
  return index;
}

}  // namespace

const ReverseIndex& GetReverseIndex() {
  static const ReverseIndex index = Build();
  return index;
}

}  // namespace arib
