// Decoding of ARIB 8-unit strings: the ISO 2022 state machine and the
// controls. Every read is checked against the end, so truncated or random
// input only ends the string early.

#include <algorithm>
#include <array>

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

// How the fast path reads the codes of one half (GL or GR): through a table
// of one-byte codes, through the kanji cells, or not at all.
struct Half {
  const CodeTable* singles = nullptr;
  bool kanji = false;
};

constexpr size_t kCharsets = static_cast<size_t>(Charset::kUnknown2) + 1;

constexpr std::array<Half, kCharsets> HalvesFor(bool middleSize) {
  std::array<Half, kCharsets> halves{};
  auto at = [&](Charset set) -> Half& { return halves[static_cast<size_t>(set)]; };
  at(Charset::kKanji).kanji = true;
  at(Charset::kSymbols).kanji = true;
  at(Charset::kHiragana).singles = at(Charset::kPropHiragana).singles = &kHiraganaCodes;
  at(Charset::kKatakana).singles = at(Charset::kPropKatakana).singles = &kKatakanaCodes;
  at(Charset::kAlnum).singles = at(Charset::kPropAlnum).singles =
      middleSize ? &kMiddleAlnumCodes : &kFullAlnumCodes;
  return halves;
}

// By middle size, then by set.
constexpr std::array<Half, kCharsets> kHalves[2] = {HalvesFor(false), HalvesFor(true)};

// The output string is grown ahead of the writes and cut back to `written_`
// at the end, so the common path writes through a pointer with no check per
// character.
class Decoder {
 public:
  Decoder(const uint8_t* data, size_t size, std::u16string& out)
      : data_(data), size_(size), out_(out), written_(out.size()) {}

  void Run() {
    while (pos_ < size_) {
      Graphics();
      if (pos_ < size_) Step();
    }
    out_.resize(written_);
  }

 private:
  bool Has(size_t n) const { return size_ - pos_ >= n; }
  void Skip(size_t n) { pos_ = Has(n) ? pos_ + n : size_; }

  // Room for `units` more, and one per byte left after them.
  void Room(size_t units) {
    const size_t needed = units + (size_ - pos_);
    if (out_.size() - written_ < needed) out_.resize(written_ + needed);
  }

  // The run of spaces and graphic codes from pos_ on, up to the first control,
  // special cell or undefined code, which Step decodes. Kanji, kana and
  // alphanumerics, nearly all of any text, pass here at one unit per byte or
  // less, so the room is made once.
  void Graphics() {
    const auto& halves = kHalves[state_.middleSize];
    Half left = halves[static_cast<size_t>(state_.g[state_.gl])];
    Half right = halves[static_cast<size_t>(state_.g[state_.gr])];
    if (left.singles == nullptr && !left.kanji && right.singles == nullptr && !right.kanji) return;
    char16_t space = SpaceCharacter();
    // The locking shifts between kana sets and alphanumerics come every
    // few characters, so they are followed here too.
    auto shifted = [&] {
      left = halves[static_cast<size_t>(state_.g[state_.gl])];
      right = halves[static_cast<size_t>(state_.g[state_.gr])];
      space = SpaceCharacter();
    };
    Room(0);
    const uint8_t* p = data_ + pos_;
    const uint8_t* const end = data_ + size_;
    char16_t* o = out_.data() + written_;
    char16_t* const limit = out_.data() + out_.size();
    while (p < end) {
      const uint8_t b = *p;
      const uint8_t c1 = static_cast<uint8_t>((b & 0x7F) - 0x21);  // 0-93 for graphic codes
      if (c1 >= kSetCells) {
        if (b == 0x20) {
          *o++ = space;
          ++p;
        } else if (b == 0x0E || b == 0x0F) {  // LS1, LS0
          state_.gl = b == 0x0E ? 1 : 0;
          shifted();
          ++p;
        } else if (b == kEsc && end - p >= 2 && IsInvocation(p[1])) {
          Invoke(p[1]);
          shifted();
          p += 2;
        } else if (b == 0x0D && limit - o > end - p) {  // APR: two units for one byte
          *o++ = u'\r';
          *o++ = u'\n';
          ++p;
        } else {
          break;
        }
        continue;
      }
      const bool low = b < 0x80;
      if (const CodeTable* singles = low ? left.singles : right.singles) {
        const char16_t c = (*singles)[c1];
        if (c == 0) break;
        *o++ = c;
        ++p;
      } else if (low ? left.kanji : right.kanji) {
        if (end - p < 2) break;
        // The second byte must come from the same half as the first.
        const uint8_t c2 = static_cast<uint8_t>((p[1] ^ (b & 0x80)) - 0x21);
        if (c2 >= kSetCells) break;
        const uint32_t cell = kKanjiCells[c1 * kSetCells + c2];
        if (cell - 1 >= 0xFFFF) break;  // undefined, beyond the BMP or text
        *o++ = static_cast<char16_t>(cell);
        p += 2;
      } else {
        break;
      }
    }
    pos_ = static_cast<size_t>(p - data_);
    written_ = static_cast<size_t>(o - out_.data());
  }

  // One code of any kind at pos_.
  void Step() {
    const uint8_t b = data_[pos_];
    if (b < 0x20) {
      ControlC0(b);
    } else if (b == 0x20) {
      Put(SpaceCharacter(), 1);
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

  char16_t SpaceCharacter() const {
    const bool narrow = state_.middleSize || IsAlphanumericClass(state_.g[state_.gl]);
    return narrow ? u' ' : u'\u3000';
  }

  // One character of `set` at pos_; `high` is 0x80 for GR codes.
  void Graphic(Charset set, uint8_t high) {
    const uint8_t c1 = data_[pos_] & 0x7F;  // 0x21-0x7E
    if (!IsDoubleByte(set)) {
      Character(set, c1, 0);
      ++pos_;
      return;
    }
    const bool pairs = Has(2) && data_[pos_ + 1] > 0x20 + high && data_[pos_ + 1] < 0x7F + high;
    if (!pairs) return Put(kGeta, 1);  // a lone first byte: show it, resume at the next
    Character(set, c1, data_[pos_ + 1] & 0x7F);
    pos_ += 2;
  }

  void Character(Charset set, uint8_t c1, uint8_t c2) {
    character_.clear();
    AppendCharacter(set, c1, c2, state_.middleSize, character_);
    Room(character_.size());
    std::copy(character_.begin(), character_.end(), out_.begin() + static_cast<ptrdiff_t>(written_));
    written_ += character_.size();
  }

  void Put(char16_t c, size_t consumed) {
    Room(1);
    out_[written_++] = c;
    pos_ += consumed;
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
        Put(u'\r', 0);
        Put(u'\n', 1);
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

  static bool IsInvocation(uint8_t f) { return f == 0x6E || f == 0x6F || (f >= 0x7C && f <= 0x7E); }

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
  size_t written_;
  std::u16string character_;  // one character off the common path
  State state_;
};

}  // namespace

void DecodeAppend(const uint8_t* data, size_t size, std::u16string& out) {
  if (data == nullptr || size == 0) return;
  Decoder(data, size, out).Run();
}

std::u16string Decode(const uint8_t* data, size_t size) {
  std::u16string out;
  DecodeAppend(data, size, out);
  return out;
}

}  // namespace arib
