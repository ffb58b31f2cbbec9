// Decoding of ARIB 8-unit strings: the ISO 2022 state machine and the
// controls. Every read is checked against the end, so truncated or random
// input only ends the string early.

#include "decoder/arib_charsets.h"
#include "decoder/arib_string.h"
#include "decoder/arib_tables.h"

namespace arib {
namespace {

constexpr uint8_t kEsc = 0x1B;

struct State {
  Charset g[4] = {Charset::kKanji, Charset::kAlnum, Charset::kHiragana, Charset::kKatakana};
  int gl = 0;
  int gr = 2;
  bool middleSize = false;
};

class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size, std::u16string& out)
      : data_(data), size_(size), out_(out) {}

  void Run() {
    while (pos_ < size_) {
      const uint8_t b = data_[pos_];
      if (b < 0x20) {
        ControlC0(b);
      } else if (b == 0x20) {
        Space();
      } else if (b < 0x7F) {
        Graphic(state_.g[state_.gl], 0x00);
      } else if (b == 0x7F) {
        ++pos_;  // DEL
      } else if (b < 0xA0) {
        ControlC1(b);
      } else if (b > 0xA0 && b < 0xFF) {
        Graphic(state_.g[state_.gr], 0x80);
      } else {
        Put(kGeta, 1);
      }
    }
    Flush();
  }

 private:
  bool Has(size_t n) const { return size_ - pos_ >= n; }
  void Skip(size_t n) { pos_ = Has(n) ? pos_ + n : size_; }

  void Space() {
    const bool narrow = state_.middleSize || IsAlphanumericClass(state_.g[state_.gl]);
    Put(narrow ? u' ' : u'\u3000', 1);
  }

  // One character of `set` at pos_; `high` is 0x80 for GR codes. Kanji,
  // kana and alphanumerics, nearly all of any text, are written here; the
  // other sets (and the kanji table's special cells) go through
  // AppendCharacter.
  [[gnu::always_inline]] void Graphic(Charset set, uint8_t high) {
    const uint8_t c1 = data_[pos_] & 0x7F;  // 0x21-0x7E
    switch (set) {
      case Charset::kHiragana:
      case Charset::kPropHiragana:
        if (c1 <= 0x73) return Put(static_cast<char16_t>(0x3041 + (c1 - 0x21)), 1);
        break;
      case Charset::kKatakana:
      case Charset::kPropKatakana:
        if (c1 <= 0x76) return Put(static_cast<char16_t>(0x30A1 + (c1 - 0x21)), 1);
        break;
      case Charset::kAlnum:
      case Charset::kPropAlnum:
        return Put(state_.middleSize ? static_cast<char16_t>(c1)
                                     : static_cast<char16_t>(0xFF01 + (c1 - 0x21)),
                   1);
      default:
        break;
    }
    if (!IsDoubleByte(set)) {
      AppendCharacter(set, c1, 0, state_.middleSize, Flushed());
      ++pos_;
      return;
    }
    const bool pairs = Has(2) && data_[pos_ + 1] > 0x20 + high && data_[pos_ + 1] < 0x7F + high;
    if (!pairs) return Put(kGeta, 1);  // a lone first byte: show it, resume at the next
    const uint8_t c2 = data_[pos_ + 1] & 0x7F;
    if (set == Charset::kKanji || set == Charset::kSymbols) {
      const uint32_t cell = kKanjiCells[(c1 - 0x21) * kSetCells + (c2 - 0x21)];
      if (cell != 0 && cell < 0x10000) return Put(static_cast<char16_t>(cell), 2);
    }
    AppendCharacter(set, c1, c2, state_.middleSize, Flushed());
    pos_ += 2;
  }

  // Characters are staged and appended to the output in blocks.
  void Put(char16_t c, size_t consumed) {
    if (staged_ == sizeof stage_ / sizeof stage_[0]) Flush();
    stage_[staged_++] = c;
    pos_ += consumed;
  }
  void Flush() {
    out_.append(stage_, staged_);
    staged_ = 0;
  }
  std::u16string& Flushed() {
    Flush();
    return out_;
  }

  void SingleShift(int g) {
    ++pos_;
    if (pos_ >= size_) return;
    const uint8_t b = data_[pos_];
    if (b > 0x20 && b < 0x7F) {
      Graphic(state_.g[g], 0x00);
    } else if (b > 0xA0 && b < 0xFF) {
      Graphic(state_.g[g], 0x80);
    }
  }

  void ControlC0(uint8_t b) {
    switch (b) {
      case 0x0D:  // APR
        Flushed().append(u"\r\n");
        ++pos_;
        return;
      case 0x0E: state_.gl = 1; ++pos_; return;  // LS1
      case 0x0F: state_.gl = 0; ++pos_; return;  // LS0
      case 0x16: Skip(2); return;                // PAPF P1
      case 0x1C: Skip(3); return;                // APS P1 P2
      case 0x19: SingleShift(2); return;         // SS2
      case 0x1D: SingleShift(3); return;         // SS3
      case kEsc: Escape(); return;
      default: ++pos_; return;  // NUL, BEL, APB, APF, APD, APU, CS, CAN, RS, US ...
    }
  }

  void ControlC1(uint8_t b) {
    switch (b) {
      case 0x88:  // SSZ
      case 0x8A:  // NSZ
        state_.middleSize = false;
        ++pos_;
        return;
      case 0x89:  // MSZ
        state_.middleSize = true;
        ++pos_;
        return;
      case 0x8B:  // SZX P1
        state_.middleSize = false;
        Skip(2);
        return;
      case 0x90:  // COL P1, or COL 0x20 P1
      case 0x92:  // CDC P1, or CDC 0x20 P1
        Skip(Has(2) && data_[pos_ + 1] == 0x20 ? 3 : 2);
        return;
      case 0x91:  // FLC
      case 0x93:  // POL
      case 0x94:  // WMM
      case 0x97:  // HLC
      case 0x98:  // RPC
        Skip(2);
        return;
      case 0x95: Macro(); return;
      case 0x9B: SkipUntilFinal(1, 0x40, 0x6F); return;  // CSI ... F
      case 0x9D: Time(); return;
      default: ++pos_; return;  // colours, SPL, STL, undefined C1
    }
  }

  // MACRO 0x40/0x41 <definition> MACRO 0x4F: the definition is not text.
  void Macro() {
    if (!Has(2)) {
      pos_ = size_;
      return;
    }
    const uint8_t p1 = data_[pos_ + 1];
    pos_ += 2;
    if (p1 != 0x40 && p1 != 0x41) return;
    while (pos_ < size_) {
      if (data_[pos_] == 0x95 && Has(2) && data_[pos_ + 1] == 0x4F) {
        pos_ += 2;
        return;
      }
      ++pos_;
    }
  }

  void Time() {
    if (!Has(2)) {
      pos_ = size_;
      return;
    }
    const uint8_t p1 = data_[pos_ + 1];
    if (p1 == 0x29) {
      SkipUntilFinal(2, 0x40, 0x43);
    } else {
      Skip(3);  // TIME 0x20 P1, TIME 0x28 F
    }
  }

  // Skips `lead` bytes, then through the first byte in [lo, hi].
  void SkipUntilFinal(size_t lead, uint8_t lo, uint8_t hi) {
    Skip(lead);
    while (pos_ < size_) {
      const uint8_t b = data_[pos_++];
      if (b >= lo && b <= hi) return;
    }
  }

  // ESC I... F. Unknown sequences are consumed whole; a broken one only
  // loses the ESC and its intermediate bytes.
  void Escape() {
    size_t p = pos_ + 1;
    uint8_t inter[3];
    size_t count = 0;
    while (p < size_ && data_[p] >= 0x20 && data_[p] <= 0x2F) {
      if (count < sizeof inter) inter[count] = data_[p];
      ++count;
      ++p;
    }
    if (p >= size_) {
      pos_ = size_;
      return;
    }
    const uint8_t f = data_[p];
    if (f < 0x30 || f > 0x7E) {
      pos_ = p;
      return;
    }
    pos_ = p + 1;
    if (count <= sizeof inter) Apply(inter, count, f);
  }

  static int GIndex(uint8_t i) { return i >= 0x28 && i <= 0x2B ? i - 0x28 : -1; }

  void Apply(const uint8_t* inter, size_t count, uint8_t f) {
    if (count == 0) {
      Invoke(f);
      return;
    }
    const bool dbyte = inter[0] == 0x24;
    const uint8_t* rest = dbyte ? inter + 1 : inter;
    const size_t restCount = dbyte ? count - 1 : count;
    if (dbyte && restCount == 0) {  // ESC $ F: two-byte set into G0
      state_.g[0] = GraphicSetFor(f, true);
      return;
    }
    const int g = GIndex(rest[0]);
    if (g < 0) return;
    if (restCount == 1) {
      state_.g[g] = GraphicSetFor(f, dbyte);
    } else if (restCount == 2 && rest[1] == 0x20) {
      state_.g[g] = DrcsSetFor(f, dbyte);
    }
  }

  void Invoke(uint8_t f) {
    switch (f) {
      case 0x6E: state_.gl = 2; return;  // LS2
      case 0x6F: state_.gl = 3; return;  // LS3
      case 0x7E: state_.gr = 1; return;  // LS1R
      case 0x7D: state_.gr = 2; return;  // LS2R
      case 0x7C: state_.gr = 3; return;  // LS3R
      default: return;
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  std::u16string& out_;
  char16_t stage_[256];
  size_t staged_ = 0;
  State state_;
};

}  // namespace

void DecodeAppend(const uint8_t* data, size_t size, std::u16string& out) {
  if (data == nullptr || size == 0) return;
  // Most codes give one unit; growth beyond this is geometric, not per character.
  out.reserve(out.size() + size + size / 2);
  Decoder(data, size, out).Run();
}

std::u16string Decode(const uint8_t* data, size_t size) {
  std::u16string out;
  DecodeAppend(data, size, out);
  return out;
}

}  // namespace arib
