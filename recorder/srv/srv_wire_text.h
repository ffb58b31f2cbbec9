#pragma once
// Texts on the reservation server's wire: UTF-16LE code units, counted as
// units whatever the program's own wide type (a character above U+FFFF is
// two). An unpaired surrogate from the server becomes U+FFFD.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace plimod {

// Units the text takes on the wire, without a terminating NUL.
std::size_t WireUnitCount(std::wstring_view text);
// Writes the text's units as UTF-16LE at `out` (2 x WireUnitCount bytes).
void WriteWireUnits(std::wstring_view text, std::uint8_t* out);
// The text of `unitCount` UTF-16LE units at `bytes`, up to the first NUL.
std::wstring ReadWireUnits(const std::uint8_t* bytes, std::size_t unitCount);

}  // namespace plimod
