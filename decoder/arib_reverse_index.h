#pragma once
// Text to code lookups over the two-byte sets, for the encoder.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "decoder/arib_charsets.h"

namespace arib {

struct TwoByteCode {
  Charset set = Charset::kKanji;  // kKanji, kSymbols or kPlane1
  uint8_t c1 = 0;
  uint8_t c2 = 0;
};

struct TextCode {
  std::u16string text;  // bracketed symbols and combining sequences
  TwoByteCode code;
};

struct ReverseIndex {
  std::unordered_map<char32_t, TwoByteCode> single;
  // By first unit, longest text first.
  std::unordered_map<char16_t, std::vector<TextCode>> sequences;
};

// Built once from the tables on first use; read-only afterwards. Where two
// codes give the same text, the kanji set's lowest code wins.
const ReverseIndex& GetReverseIndex();

}  // namespace arib
