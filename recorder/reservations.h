#pragma once
// Adding, changing and deleting one reservation in the recorder in use:
// through the reservation server in its mode, else by appending to the
// text-file recorder's Program.txt (which it reads when started again; the
// callers restart it). All return true on success.

#include <cstdint>
#include <string_view>

#include "recorder/reserve_line.h"
#include "settings/ini_file.h"

namespace plimod {

bool AddReservation(const IniFile& settings, const ReserveLine& line);

enum class AddResult { kAdded, kFailed, kUnreachable };
// AddReservation telling a reservation server that cannot be reached
// (kUnreachable) from one that refused the reservation.
AddResult TryAddReservation(const IniFile& settings, const ReserveLine& line);

// Server mode only: the reservation `reserveId` gets the line's values when
// it still belongs to the programme `programKey`. In the text-file mode
// false at once (the edit page rewrites Program.txt itself).
bool ChangeReservation(const ReserveLine& line, std::uint64_t programKey, int reserveId);
bool DeleteReservation(std::uint64_t programKey, int reserveId);
// Server mode only: the reservation gets the title (code page 932) and keeps
// every other value the user gave it. False at once in the text-file mode.
bool ChangeReservationTitle(std::string_view cp932Title, std::uint64_t programKey, int reserveId);

}  // namespace plimod
