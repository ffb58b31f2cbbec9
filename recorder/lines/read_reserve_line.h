#pragma once
// Finding one reservation in the text-file recorder's reservation text.

#include <cstdint>
#include <optional>

#include "recorder/lines/reserve_line.h"
#include "settings/ini_file.h"

namespace plimod {

// The first reservation line of the reservation text (LoadReserveText of
// the located Program.txt) whose ProgramKey is `programKey` and whose
// reserve id is `reserveId` (any, when negative), parsed; its four ids stay
// 0. Nothing when the recorder link is off, nothing can be read or no line
// matches.
std::optional<ReserveLine> ReadReserveLine(const IniFile& settings, std::uint64_t programKey,
                                           int reserveId);

}  // namespace plimod
