#include "platform/text_codec.h"

#include <cerrno>
#include <iconv.h>

namespace plimod {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr wchar_t kCp932Undecodable = 0x30FB;  // what Windows gives for code page 932

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

template <typename Units>
std::wstring JoinSurrogates(const Units& units, std::size_t count) {
  std::wstring out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char32_t c = units(i);
    if (IsHighSurrogate(c) && i + 1 < count && IsLowSurrogate(units(i + 1))) {
      const char32_t low = units(i + 1);
      out.push_back(static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00)));
      ++i;
    } else {
      out.push_back(static_cast<wchar_t>(c));
    }
  }
  return out;
}

template <typename Emit>
void SplitSurrogates(std::wstring_view text, const Emit& emit) {
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (c > 0x10FFFF) c = kReplacement;
    if (c >= 0x10000) {
      c -= 0x10000;
      emit(static_cast<char16_t>(0xD800 + (c >> 10)));
      emit(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      emit(static_cast<char16_t>(c));
    }
  }
}

// One iconv descriptor per thread and direction: descriptors are not safe to
// share, and opening one per call costs more than the conversions.
class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (ok()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    return cd_;
  }

 private:
  iconv_t cd_;
};

iconv_t ToCp932() {
  thread_local IconvHandle handle("CP932", "WCHAR_T");
  return handle.ok() ? handle.get() : reinterpret_cast<iconv_t>(-1);
}

iconv_t FromCp932() {
  thread_local IconvHandle handle("WCHAR_T", "CP932");
  return handle.ok() ? handle.get() : reinterpret_cast<iconv_t>(-1);
}

bool IsCp932PairLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsCp932Trail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// Characters code page 932 lacks but has a look-alike for (the forms other
// systems produce for the same glyphs).
wchar_t Cp932LookAlike(wchar_t c) {
  switch (c) {
    case 0x301C: return 0xFF5E;  // WAVE DASH -> FULLWIDTH TILDE
    case 0x2016: return 0x2225;  // DOUBLE VERTICAL LINE -> PARALLEL TO
    case 0x2212: return 0xFF0D;  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
    case 0x00A2: return 0xFFE0;  // CENT SIGN -> FULLWIDTH CENT SIGN
    case 0x00A3: return 0xFFE1;  // POUND SIGN -> FULLWIDTH POUND SIGN
    case 0x00AC: return 0xFFE2;  // NOT SIGN -> FULLWIDTH NOT SIGN
    default: return c;
  }
}

std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;  // continuation byte or never valid
}

// Decodes one sequence at text[i]; returns its length, or 0 when malformed.
std::size_t DecodeUtf8At(std::string_view text, std::size_t i, char32_t& out) {
  const auto lead = static_cast<unsigned char>(text[i]);
  const std::size_t len = Utf8SequenceLength(lead);
  if (len == 0 || i + len > text.size()) return 0;
  if (len == 1) {
    out = lead;
    return 1;
  }
  char32_t c = lead & (0x7F >> len);
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = (c << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kMinimum[len] || c > 0x10FFFF || IsSurrogate(c)) return 0;
  out = c;
  return len;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c > 0x10FFFF || IsSurrogate(c)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::wstring Utf16LeToWide(std::string_view bytes) {
  const auto unit = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  return JoinSurrogates(unit, bytes.size() / 2);
}

std::string WideToUtf16Le(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  SplitSurrogates(text, [&](char16_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
  });
  return out;
}

std::wstring Utf16ToWide(std::u16string_view text) {
  return JoinSurrogates([&](std::size_t i) { return static_cast<char32_t>(text[i]); },
                        text.size());
}

std::u16string WideToUtf16(std::wstring_view text) {
  std::u16string out;
  out.reserve(text.size());
  SplitSurrogates(text, [&](char16_t u) { out.push_back(u); });
  return out;
}

std::size_t Utf16PrefixUnits(std::u16string_view text, std::size_t chars) {
  if (text.size() <= chars) return text.size();
  std::size_t units = 0;
  for (std::size_t n = 0; n < chars && units < text.size(); ++n) {
    const bool pair = text[units] >= 0xD800 && text[units] <= 0xDBFF && units + 1 < text.size() &&
                      text[units + 1] >= 0xDC00 && text[units + 1] <= 0xDFFF;
    units += pair ? 2 : 1;
  }
  return units;
}

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const std::size_t len = DecodeUtf8At(text, i, c);
    if (len == 0) {
      out.push_back(static_cast<wchar_t>(kReplacement));
      ++i;
    } else {
      out.push_back(static_cast<wchar_t>(c));
      i += len;
    }
  }
  return out;
}

std::string WideToUtf8String(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (wchar_t c : text) AppendUtf8(out, static_cast<char32_t>(c));
  return out;
}

std::wstring Cp932ToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  const iconv_t cd = FromCp932();
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {  // the common ASCII case needs no iconv call
      out.push_back(static_cast<wchar_t>(b));
      ++i;
      continue;
    }
    const bool pair = IsCp932PairLead(b) && i + 1 < bytes.size() &&
                      IsCp932Trail(static_cast<unsigned char>(bytes[i + 1]));
    const std::size_t len = pair ? 2 : 1;
    wchar_t wc = 0;
    char* in = const_cast<char*>(bytes.data() + i);
    std::size_t inLeft = len;
    char* outPtr = reinterpret_cast<char*>(&wc);
    std::size_t outLeft = sizeof wc;
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) &&
                    iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                    inLeft == 0 && outLeft == 0;
    out.push_back(ok ? wc : kCp932Undecodable);
    i += len;
  }
  return out;
}

std::string WideToCp932(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  const iconv_t cd = ToCp932();
  for (wchar_t original : text) {
    const wchar_t c = Cp932LookAlike(original);
    if (c >= 0 && c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    char buf[8];
    char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(&c));
    std::size_t inLeft = sizeof c;
    char* outPtr = buf;
    std::size_t outLeft = sizeof buf;
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) &&
                    iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
                    inLeft == 0 && outLeft < sizeof buf;
    if (ok) {
      out.append(buf, sizeof buf - outLeft);
    } else {
      out.push_back('?');
    }
  }
  return out;
}

std::size_t Utf8CutPoint(std::string_view text, std::size_t maxBytes) {
  if (maxBytes >= text.size()) return text.size();
  // Find the start of the character that byte maxBytes belongs to; stray
  // continuation bytes count as characters of their own.
  for (std::size_t back = 0; back <= 3 && back <= maxBytes; ++back) {
    const std::size_t start = maxBytes - back;
    const auto b = static_cast<unsigned char>(text[start]);
    if ((b & 0xC0) != 0x80) {
      const std::size_t len = Utf8SequenceLength(b);
      return (len > back) ? start : maxBytes;
    }
  }
  return maxBytes;
}

std::size_t Cp932CutPoint(std::string_view text, std::size_t maxBytes) {
  if (maxBytes >= text.size()) return text.size();
  std::size_t i = 0;
  while (i < maxBytes) {
    const bool pair = IsCp932PairLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
    const std::size_t len = pair ? 2 : 1;
    if (i + len > maxBytes) break;
    i += len;
  }
  return i;
}

}  // namespace plimod
