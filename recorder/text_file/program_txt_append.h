#pragma once
// Adding one reservation line to the text-file recorder's Program.txt.

#include <cstdint>
#include <string>
#include <string_view>

#include "recorder/lines/reserve_line.h"

namespace plimod {

// The line the program appends for a reservation, CR LF included: fields 0
// to 16 (reserve id 0, field 15 "0"), none of the optional ones. Quotes
// around the batch path go; every text is cleaned (CleanRecorderText).
std::string FormatProgramTxtLine(const ReserveLine& line);

// Appends `line` to the file, creating it when missing, with one write on
// an append descriptor. A file whose last byte is no line end gets CR LF
// first, so the new line never joins the last one. A write that fails part
// way is cut off again: the file keeps its old length.
[[nodiscard]] bool AppendProgramTxtLine(const std::wstring& path, std::string_view line);

// Whether a reservation line of the file is for the programme (ProgramKey
// of fields 5 to 8), whatever its reserve id. False when unreadable.
[[nodiscard]] bool ProgramTxtHoldsProgramme(const std::wstring& path, std::uint64_t programKey);

}  // namespace plimod
