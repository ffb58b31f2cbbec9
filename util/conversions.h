#pragma once
// Text conversions in the program's terms, and hexadecimal parsing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plimod {

// Bytes of the UTF-8 form of `text` (proper 4-byte forms); writes them to
// `out` too when it is not null (no terminating NUL).
std::size_t WideToUtf8Count(std::wstring_view text, char* out);
// Bounded UTF-8: stops before a character when 4 or fewer bytes of `size`
// remain, so output and NUL always fit; returns the bytes written (NUL not
// counted).
std::size_t WideToUtf8(std::wstring_view text, char* out, std::size_t size);
// Unbounded UTF-8.
std::string WideToUtf8(std::wstring_view text);

// Code page 932 ("the system code page") both ways; see platform/text_codec.h.
std::string WideToAnsi(std::wstring_view text);
std::wstring AnsiToWide(std::string_view text);
// CP932 -> UTF-8, the whole text.
std::string AnsiToUtf8(std::string_view text);

// Hex digits of either case up to the first other character; 0 for none.
// Higher digits fall off beyond the width.
std::uint64_t ParseHex64(std::string_view text);
std::uint64_t ParseHex64W(std::wstring_view text);
std::uint32_t ParseHex32(std::string_view text);
std::uint32_t ParseHex32W(std::wstring_view text);

}  // namespace plimod
