#pragma once
// The graphic sets of ARIB 8-unit code and the text of their characters.

#include <array>
#include <cstdint>
#include <string>

namespace arib {

enum class Charset : uint8_t {
  kKanji,
  kSymbols,  // the additional symbols (and extra kanji)
  kPlane1,   // JIS-compatible kanji plane 1
  kPlane2,   // JIS-compatible kanji plane 2 (no table: shown as unknown)
  kAlnum,
  kHiragana,
  kKatakana,
  kPropAlnum,
  kPropHiragana,
  kPropKatakana,
  kHalfKatakana,  // JIS X 0201 katakana
  kMosaic,
  kDrcs1,
  kDrcs2,
  kMacro,
  kUnknown1,
  kUnknown2,
};

// Final bytes of the designation sequences.
inline constexpr uint8_t kFinalKanji = 0x42;
inline constexpr uint8_t kFinalSymbols = 0x3B;
inline constexpr uint8_t kFinalPlane1 = 0x39;
inline constexpr uint8_t kFinalAlnum = 0x4A;
inline constexpr uint8_t kFinalHiragana = 0x30;
inline constexpr uint8_t kFinalKatakana = 0x31;
inline constexpr uint8_t kFinalHalfKatakana = 0x49;

inline constexpr char16_t kGeta = u'\u3013';  // stands for any code we cannot show

bool IsDoubleByte(Charset set);
// Sets whose SP is a half-width space.
bool IsAlphanumericClass(Charset set);
Charset GraphicSetFor(uint8_t finalByte, bool doubleByte);
Charset DrcsSetFor(uint8_t finalByte, bool doubleByte);

// Appends the text of one character of `set`; c1 and c2 are 7-bit codes
// (0x21-0x7E), c2 unused for one-byte sets. Alphanumerics are full-width
// forms unless `middleSize`.
void AppendCharacter(Charset set, uint8_t c1, uint8_t c2, bool middleSize, std::u16string& out);

// Code point of a one-byte kana set's code, 0 when undefined.
char16_t HiraganaAt(uint8_t c);
char16_t KatakanaAt(uint8_t c);

// The characters of the one-byte sets by code - 0x21 (0x21-0x7E), 0 where a
// code has none: hiragana, katakana, and alphanumerics in full width and in
// middle size.
using CodeTable = std::array<char16_t, 94>;
extern const CodeTable kHiraganaCodes;
extern const CodeTable kKatakanaCodes;
extern const CodeTable kFullAlnumCodes;
extern const CodeTable kMiddleAlnumCodes;

}  // namespace arib
