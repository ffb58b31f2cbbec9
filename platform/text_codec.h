#pragma once
// Conversions between the program's wide text (std::wstring, one code point
// per element) and the byte encodings it meets at its edges: UTF-16LE
// (settings file), UTF-16 (decoder strings), UTF-8 (pages, requests) and
// Windows code page 932 (log, credentials, files shared with recorders).
// None of them throws or stops early on bad input.

#include <cstddef>
#include <string>
#include <string_view>

namespace plimod {

// UTF-16LE bytes -> wide text. Surrogate pairs are joined; a lone surrogate
// is kept as its own unit value so that a round trip is lossless. A final odd
// byte is ignored.
std::wstring Utf16LeToWide(std::string_view bytes);
// Wide text -> UTF-16LE bytes (no byte-order mark). Characters above U+FFFF
// become surrogate pairs; values beyond U+10FFFF become U+FFFD.
std::string WideToUtf16Le(std::wstring_view text);

// The same for UTF-16 held in char16_t units.
std::wstring Utf16ToWide(std::u16string_view text);
std::u16string WideToUtf16(std::wstring_view text);

// Units of the first `chars` characters of UTF-16 text (a surrogate pair is
// one character); the whole size when it has fewer.
std::size_t Utf16PrefixUnits(std::u16string_view text, std::size_t chars);

// UTF-8 -> wide text, 1- to 4-byte forms. Each byte of a malformed or
// overlong sequence becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
// Wide text -> UTF-8 with proper 4-byte forms. Lone surrogates and values
// beyond U+10FFFF become U+FFFD so pages never carry invalid UTF-8.
std::string WideToUtf8String(std::wstring_view text);

// Code page 932 -> wide text. A byte (or pair) that does not decode becomes
// U+30FB and decoding goes on.
std::wstring Cp932ToWide(std::string_view bytes);
// Wide text -> code page 932. Characters with a code-page look-alike
// (U+301C, U+2016, U+2212, U+00A2, U+00A3, U+00AC) are mapped to it first;
// any other unmappable character becomes "?".
std::string WideToCp932(std::wstring_view text);

// The largest length <= maxBytes at which `text` can be cut without
// splitting a character (UTF-8 sequence or CP932 lead/trail pair).
std::size_t Utf8CutPoint(std::string_view text, std::size_t maxBytes);
std::size_t Cp932CutPoint(std::string_view text, std::size_t maxBytes);

// True for a CP932 lead byte as the program treats it (0x80-0x9F, 0xE0-0xFF).
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || b >= 0xE0;
}

}  // namespace plimod
