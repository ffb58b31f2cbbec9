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

enum class AddOutcome {
  kAdded,
  kAlreadyReserved,  // text-file mode: Program.txt has a line of the programme
  kUnreachable,      // server mode: nothing answers, so later adds would fail too
  kFailed,           // refused, or the file could not be written
};

// In the text-file mode a programme gets one line only: its ids are all
// that tells two lines apart, since every appended line has reserve id 0.
[[nodiscard]] AddOutcome AddNewReservation(const IniFile& settings, const ReserveLine& line);
// The same, true only when added.
bool AddReservation(const IniFile& settings, const ReserveLine& line);

// Server mode only: the reservation `reserveId` gets the line's values when
// it still belongs to the programme `programKey`. In the text-file mode
// false at once (the edit page rewrites Program.txt itself).
bool ChangeReservation(const ReserveLine& line, std::uint64_t programKey, int reserveId);
bool DeleteReservation(std::uint64_t programKey, int reserveId);
// The same, telling a reservation that no longer belongs to the programme
// (nothing to delete) from a failure (refused, unreachable, or the
// text-file mode).
enum class DeleteOutcome { kDeleted, kOtherProgramme, kFailed };
[[nodiscard]] DeleteOutcome DeleteProgrammeReservation(std::uint64_t programKey, int reserveId);
// Server mode only: the reservation gets the title (code page 932) and keeps
// every other value the user gave it. False at once in the text-file mode.
bool ChangeReservationTitle(std::string_view cp932Title, std::uint64_t programKey, int reserveId);

}  // namespace plimod
