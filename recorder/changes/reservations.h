#pragma once
// Adding, changing and deleting one reservation in the recorder in use:
// through the reservation server in its mode, else by appending to the
// text-file recorder's Program.txt (which it reads when started again; the
// callers restart it). All return true on success.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "recorder/base/reserve_row.h"
#include "recorder/lines/reserve_line.h"
#include "settings/ini_file.h"

namespace plimod {

enum class AddOutcome {
  kAdded,
  kAlreadyReserved,  // the recorder holds a reservation of the programme
  kUnreachable,      // server mode: nothing answers, so later adds would fail too
  kFailed,           // refused, or the file could not be written
};

// A programme gets one reservation only: each add first looks for one of
// the programme in the recorder (the server's list, or Program.txt, where
// the ids are all that tells two lines apart). Adds of one programme take
// turns, so adds of it that arrive together reserve it once. An add of one
// line (a page's) goes before the next command of an add of several.
[[nodiscard]] AddOutcome AddNewReservation(const IniFile& settings, const ReserveLine& line);
// The same for several lines, in their order (a programme twice among them
// is added once); the server gets them in as few commands as it takes and
// answers each line on its own: a refused line never stops the others.
// A programme another add sent meanwhile counts as reserved already.
// One outcome per line.
[[nodiscard]] std::vector<AddOutcome> AddNewReservations(const IniFile& settings,
                                                         const std::vector<ReserveLine>& lines);
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
// Server mode: the server's reservation of the programme as its list holds
// it now (one command; recording results are not looked at): the one a page
// has just added, or the one a name without an id stands for. Nothing when
// it holds none, or cannot be asked.
std::optional<ReserveRow> FindServerReservation(std::uint64_t programKey);
// Server mode: the server's id of the reservation a page names: the name's
// own, or, for a name without one (kReserveIdNotKnown: a reservation made
// since the last load), that of the programme's reservation on the server.
std::optional<std::int32_t> ServerReserveIdOf(std::uint64_t programKey, std::int32_t reserveId);

// Server mode only: the reservation gets the title (code page 932) and keeps
// every other value the user gave it. False at once in the text-file mode.
bool ChangeReservationTitle(std::string_view cp932Title, std::uint64_t programKey, int reserveId);

}  // namespace plimod
