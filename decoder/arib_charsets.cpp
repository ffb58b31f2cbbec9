#include "decoder/arib_charsets.h"

#include "decoder/arib_tables.h"

namespace arib {
namespace {

// Codes 0x77-0x7E of the kana sets; the first two differ between the sets.
constexpr char16_t kHiraganaTail[8] = {u'ゝ', u'ゞ', u'ー', u'。', u'「', u'」', u'、', u'・'};
constexpr char16_t kKatakanaTail[8] = {u'ヽ', u'ヾ', u'ー', u'。', u'「', u'」', u'、', u'・'};

void AppendCodePoint(char32_t cp, std::u16string& out) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendCell(const uint32_t* cells, uint8_t c1, uint8_t c2, std::u16string& out) {
  const uint32_t cell = cells[(c1 - 0x21) * kSetCells + (c2 - 0x21)];
  if (cell == 0) {
    out.push_back(kGeta);
  } else if (cell & kTextFlag) {
    out.append(kTextPool + ((cell >> 8) & 0x7FFFFF), cell & 0xFF);
  } else {
    AppendCodePoint(cell, out);
  }
}

void AppendOne(char16_t c, std::u16string& out) { out.push_back(c != 0 ? c : kGeta); }

// `run` characters from `first` on, then the tail from code 0x77 (if any).
constexpr CodeTable KanaTable(char16_t first, int run, const char16_t* tail) {
  CodeTable t{};
  for (int i = 0; i < run; ++i) t[i] = static_cast<char16_t>(first + i);
  for (int i = 0; i < 8; ++i) t[0x77 - 0x21 + i] = tail[i];
  return t;
}

constexpr CodeTable AlnumTable(char16_t first) {
  CodeTable t{};
  for (int i = 0; i < 94; ++i) t[i] = static_cast<char16_t>(first + i);
  return t;
}

char16_t CodeAt(const CodeTable& table, uint8_t c) {
  return c >= 0x21 && c <= 0x7E ? table[c - 0x21] : 0;
}

}  // namespace

extern const CodeTable kHiraganaCodes = KanaTable(0x3041, 0x73 - 0x21 + 1, kHiraganaTail);
extern const CodeTable kKatakanaCodes = KanaTable(0x30A1, 0x76 - 0x21 + 1, kKatakanaTail);
extern const CodeTable kFullAlnumCodes = AlnumTable(0xFF01);
extern const CodeTable kMiddleAlnumCodes = AlnumTable(0x21);

char16_t HiraganaAt(uint8_t c) { return CodeAt(kHiraganaCodes, c); }
char16_t KatakanaAt(uint8_t c) { return CodeAt(kKatakanaCodes, c); }

bool IsDoubleByte(Charset set) {
  switch (set) {
    case Charset::kKanji:
    case Charset::kSymbols:
    case Charset::kPlane1:
    case Charset::kPlane2:
    case Charset::kDrcs2:
    case Charset::kUnknown2:
      return true;
    default:
      return false;
  }
}

bool IsAlphanumericClass(Charset set) {
  return set == Charset::kAlnum || set == Charset::kPropAlnum || set == Charset::kHalfKatakana;
}

Charset GraphicSetFor(uint8_t finalByte, bool doubleByte) {
  if (doubleByte) {
    switch (finalByte) {
      case kFinalKanji: return Charset::kKanji;
      case kFinalSymbols: return Charset::kSymbols;
      case kFinalPlane1: return Charset::kPlane1;
      case 0x3A: return Charset::kPlane2;
      default: return Charset::kUnknown2;
    }
  }
  switch (finalByte) {
    case kFinalAlnum: return Charset::kAlnum;
    case kFinalHiragana: return Charset::kHiragana;
    case kFinalKatakana: return Charset::kKatakana;
    case 0x32: case 0x33: case 0x34: case 0x35: return Charset::kMosaic;
    case 0x36: return Charset::kPropAlnum;
    case 0x37: return Charset::kPropHiragana;
    case 0x38: return Charset::kPropKatakana;
    case kFinalHalfKatakana: return Charset::kHalfKatakana;
    default: return Charset::kUnknown1;
  }
}

Charset DrcsSetFor(uint8_t finalByte, bool doubleByte) {
  if (doubleByte) return Charset::kDrcs2;
  return finalByte == 0x70 ? Charset::kMacro : Charset::kDrcs1;
}

void AppendCharacter(Charset set, uint8_t c1, uint8_t c2, bool middleSize, std::u16string& out) {
  switch (set) {
    case Charset::kKanji:
    case Charset::kSymbols:
      AppendCell(kKanjiCells, c1, c2, out);
      return;
    case Charset::kPlane1:
      AppendCell(kPlane1Cells, c1, c2, out);
      return;
    case Charset::kAlnum:
    case Charset::kPropAlnum:
      out.push_back(middleSize ? static_cast<char16_t>(c1)
                               : static_cast<char16_t>(0xFF01 + (c1 - 0x21)));
      return;
    case Charset::kHiragana:
    case Charset::kPropHiragana:
      AppendOne(HiraganaAt(c1), out);
      return;
    case Charset::kKatakana:
    case Charset::kPropKatakana:
      AppendOne(KatakanaAt(c1), out);
      return;
    case Charset::kHalfKatakana:
      AppendOne(c1 <= 0x5F ? static_cast<char16_t>(0xFF61 + (c1 - 0x21)) : 0, out);
      return;
    case Charset::kMacro:
      return;  // macros carry designations, not text
    default:
      out.push_back(kGeta);
      return;
  }
}

}  // namespace arib
