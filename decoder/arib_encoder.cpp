// Encoding of text as ARIB 8-unit code, with the sets and shifts broadcasters
// use: kanji and symbols through GL = G0, alphanumerics through GL = G1
// (MSZ for ASCII, NSZ for full-width forms), hiragana through GR = G2,
// katakana and half-width katakana through GR = G3.

#include "decoder/arib_reverse_index.h"
#include "decoder/arib_string.h"

namespace arib {
namespace {

constexpr uint8_t kEsc = 0x1B;

struct Designation {
  Charset set;
  uint8_t finalByte;
};

class Encoder {
 public:
  explicit Encoder(std::u16string_view text) : text_(text) {}

  std::vector<uint8_t> Run() {
    out_.reserve(text_.size() * 2);
    while (pos_ < text_.size()) Next();
    return std::move(out_);
  }

 private:
  char32_t PeekCodePoint(size_t& units) const {
    const char16_t u = text_[pos_];
    units = 1;
    if (u >= 0xD800 && u < 0xDC00 && pos_ + 1 < text_.size() && text_[pos_ + 1] >= 0xDC00 &&
        text_[pos_ + 1] < 0xE000) {
      units = 2;
      return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (text_[pos_ + 1] - 0xDC00);
    }
    if (u >= 0xD800 && u < 0xE000) return kGeta;  // a lone surrogate
    return u;
  }

  void Next() {
    if (LineBreak() || Sequence()) return;
    size_t units = 0;
    const char32_t cp = PeekCodePoint(units);
    pos_ += units;
    if (!Simple(cp)) TwoByte(cp);
  }

  bool LineBreak() {
    const char16_t u = text_[pos_];
    if (u != u'\r' && u != u'\n') return false;
    pos_ += (u == u'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\n') ? 2 : 1;
    out_.push_back(0x0D);
    return true;
  }

  bool Sequence() {
    const auto& sequences = GetReverseIndex().sequences;
    const auto it = sequences.find(text_[pos_]);
    if (it == sequences.end()) return false;
    for (const TextCode& candidate : it->second) {
      if (text_.substr(pos_).starts_with(candidate.text)) {
        pos_ += candidate.text.size();
        PutTwoByte(candidate.code);
        return true;
      }
    }
    return false;
  }

  // Characters of the one-byte sets and the space.
  bool Simple(char32_t cp) {
    if (cp == U' ') {
      if (!middleSize_ && !IsAlphanumericClass(g_[gl_])) InvokeGL(1);
      out_.push_back(0x20);
    } else if (cp > 0x20 && cp < 0x7F) {
      Alphanumeric(static_cast<uint8_t>(cp), true);
    } else if (cp >= 0xFF01 && cp <= 0xFF5E) {
      Alphanumeric(static_cast<uint8_t>(cp - 0xFF01 + 0x21), false);
    } else if (cp >= 0xFF61 && cp <= 0xFF9F) {
      PutGR(3, {Charset::kHalfKatakana, kFinalHalfKatakana}, static_cast<uint8_t>(cp - 0xFF61 + 0x21));
    } else {
      return Kana(cp);
    }
    return true;
  }

  bool Kana(char32_t cp) {
    const bool shared = cp == u'ー' || cp == u'。' || cp == u'「' || cp == u'」' || cp == u'、' ||
                        cp == u'・';
    if (shared && (g_[gr_] == Charset::kHiragana || g_[gr_] == Charset::kKatakana)) {
      PutGR(gr_, {g_[gr_], 0}, KanaCode(g_[gr_], cp));
      return true;
    }
    if (uint8_t c = KanaCode(Charset::kHiragana, cp)) {
      PutGR(2, {Charset::kHiragana, kFinalHiragana}, c);
      return true;
    }
    if (uint8_t c = KanaCode(Charset::kKatakana, cp)) {
      PutGR(3, {Charset::kKatakana, kFinalKatakana}, c);
      return true;
    }
    return false;
  }

  static uint8_t KanaCode(Charset set, char32_t cp) {
    if (set == Charset::kHiragana && cp >= u'ぁ' && cp <= u'ん') {
      return static_cast<uint8_t>(cp - u'ぁ' + 0x21);
    }
    if (set == Charset::kKatakana && cp >= u'ァ' && cp <= u'ヶ') {
      return static_cast<uint8_t>(cp - u'ァ' + 0x21);
    }
    for (uint8_t c = 0x77; c <= 0x7E; ++c) {
      const char16_t at = set == Charset::kHiragana ? HiraganaAt(c) : KatakanaAt(c);
      if (at == cp) return c;
    }
    return 0;
  }

  void TwoByte(char32_t cp) {
    const auto& single = GetReverseIndex().single;
    auto it = single.find(cp);
    if (it == single.end()) it = single.find(kGeta);
    PutTwoByte(it->second);
  }

  void Alphanumeric(uint8_t code, bool ascii) {
    if (middleSize_ != ascii) {
      out_.push_back(ascii ? 0x89 : 0x8A);  // MSZ / NSZ
      middleSize_ = ascii;
    }
    InvokeGL(1);
    out_.push_back(code);
  }

  void PutTwoByte(const TwoByteCode& code) {
    const uint8_t finalByte = code.set == Charset::kSymbols  ? kFinalSymbols
                              : code.set == Charset::kPlane1 ? kFinalPlane1
                                                             : kFinalKanji;
    if (g_[0] != code.set) {
      // ESC $ F designates a two-byte set into G0.
      out_.insert(out_.end(), {kEsc, 0x24, finalByte});
      g_[0] = code.set;
    }
    InvokeGL(0);
    out_.push_back(code.c1);
    out_.push_back(code.c2);
  }

  void PutGR(int g, Designation designation, uint8_t code) {
    if (g_[g] != designation.set) {
      out_.insert(out_.end(), {kEsc, static_cast<uint8_t>(0x28 + g), designation.finalByte});
      g_[g] = designation.set;
    }
    if (gr_ != g) {
      static constexpr uint8_t kLockingShiftRight[4] = {0, 0x7E, 0x7D, 0x7C};
      out_.insert(out_.end(), {kEsc, kLockingShiftRight[g]});
      gr_ = g;
    }
    out_.push_back(code | 0x80);
  }

  void InvokeGL(int g) {
    if (gl_ == g) return;
    static constexpr uint8_t kLockingShift[4][2] = {{0x0F, 0}, {0x0E, 0}, {kEsc, 0x6E}, {kEsc, 0x6F}};
    out_.push_back(kLockingShift[g][0]);
    if (kLockingShift[g][1] != 0) out_.push_back(kLockingShift[g][1]);
    gl_ = g;
  }

  std::u16string_view text_;
  size_t pos_ = 0;
  std::vector<uint8_t> out_;
  Charset g_[4] = {Charset::kKanji, Charset::kAlnum, Charset::kHiragana, Charset::kKatakana};
  int gl_ = 0;
  int gr_ = 2;
  bool middleSize_ = false;
};

}  // namespace

std::vector<uint8_t> Encode(std::u16string_view text) { return Encoder(text).Run(); }

}  // namespace arib
