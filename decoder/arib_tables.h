#pragma once
// Generated character tables of the two-byte sets (data in arib_tables_data.cpp).

#include <cstdint>

namespace arib {

// A cell of a 94x94 set: 0 is undefined; below 0x110000 it is one code
// point; with kTextFlag set it is text in kTextPool at (cell >> 8) & 0x7FFFFF,
// (cell & 0xFF) UTF-16 units long.
inline constexpr uint32_t kTextFlag = 0x80000000u;

inline constexpr int kSetCells = 94;

// The kanji set (also used for the additional-symbol set): rows 1-94.
extern const uint32_t kKanjiCells[kSetCells * kSetCells];
// JIS-compatible kanji plane 1.
extern const uint32_t kPlane1Cells[kSetCells * kSetCells];
extern const char16_t kTextPool[];

}  // namespace arib
