#pragma once
// One reservation and one tuner as the reservation code hands them to the
// reservation server, and the operations it calls. Each program links one
// client library that defines the operations: the newer command set in
// plimod, the older one in plimod-b. All return 0 for success.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recorder/base/reserved_program.h"

namespace plimod {

struct ReserveRow : ReservedProgram {
  std::uint8_t priority = 0;
  std::uint8_t follow = 0;
  std::wstring comment;
  std::uint32_t recordMode = 0;  // 5 = disabled
  std::uint32_t pittari = 0;
  std::wstring batchPath;
  std::int32_t reserveId = 0;  // negative for recording results
  std::uint32_t carriedByte = 0;
  std::uint32_t unrecordable = 0;  // 1 or 2 for failed recording results
  std::wstring folderText;         // entries split by TAB, their parts by "*"
  std::uint16_t postAction = 0;
  std::uint32_t resumeRestart = 0;
  std::wstring extraText;
  std::uint32_t marginEnable = 0;
  std::uint32_t marginStart = 0;  // seconds
  std::uint32_t marginEnd = 0;
  std::uint32_t serviceFlags = 0;  // 0x01 own choice, 0x10 captions, 0x20 carousel
};

struct TunerReserveRow {
  std::wstring tunerName;  // the BonDriver file name
  std::uint32_t tunerId = 0;
  std::vector<std::uint32_t> reserveIds;
};

// The time-out is the wait for the server in plimod-b; plimod's client
// keeps its own. Output lists are appended to, never emptied first.
int SrvAddReservation(const ReserveRow& row, std::uint32_t timeoutMs);

// The caller's turn around each command that SrvAddReservations sends
// (the client library cannot reach the reservation code above it). `take`
// gets the indexes of the rows the command is to carry (none for a look at
// the server's list), waits for the caller's turn and erases the rows that
// are not to go any more; `done` gets the rows that went and the result.
struct SrvAddTurns {
  std::function<void(std::vector<std::size_t>& rows)> take;
  std::function<void(const std::vector<std::size_t>& rows, int result)> done;

  // `send` as one command in the turn; nothing when every row of it was
  // taken out.
  template <class Send>
  std::optional<int> Command(std::vector<std::size_t>& rows, Send send) const {
    const bool rowless = rows.empty();
    take(rows);
    if (!rowless && rows.empty()) return std::nullopt;
    const int result = send();
    done(rows, result);
    return result;
  }
};

// Adds the rows, one result per row: 0 added, else the failure of its
// command; nothing for a row the caller's turn took out. A refused row never stops the rows after it: the
// older command set adds a row per command; the newer one takes a list, and
// a list that fails as a whole is sent again a row per command, less the
// rows the server holds by then (taken as added by the lost answer). A
// server that cannot be reached stops the rest, which get its result.
std::vector<std::optional<int>> SrvAddReservations(const std::vector<ReserveRow>& rows, std::uint32_t timeoutMs,
                                                   const SrvAddTurns& turns);
// On failure the row is left as it was.
int SrvGetReservation(std::uint32_t reserveId, ReserveRow& row, std::uint32_t timeoutMs);
int SrvDeleteReservations(const std::vector<ReserveRow>& rows, std::uint32_t timeoutMs);
int SrvChangeReservation(const ReserveRow& row, std::uint32_t timeoutMs);
int SrvEnumReservations(std::vector<ReserveRow>& rows, std::uint32_t timeoutMs);
// The server's reservations alone (no recording results), in the server's
// order: one command, for a page that looks up one reservation.
int SrvEnumReservedRows(std::vector<ReserveRow>& rows, std::uint32_t timeoutMs);
// The programme keys of the server's reservations (no recording results),
// in the server's order, for telling whether a programme is reserved.
int SrvEnumReservedPrograms(std::vector<std::uint64_t>& programKeys, std::uint32_t timeoutMs);
int SrvEnumTunerReservations(std::vector<TunerReserveRow>& tuners, std::uint32_t timeoutMs);

// Whether a failure of the operations above means the server could not be
// reached at all (nothing listens, no signal within the wait, or its pipe
// would not open), rather than that it refused the command.
bool SrvUnreachable(int result);

// Whether the linked client lists recording results (with the reservations)
// and deletes them.
bool SrvListsRecordingResults();
// Deletes recording results; returns the server's own code (1 = success).
// Only meaningful where SrvListsRecordingResults().
std::uint32_t SrvDeleteRecordedInfo(const std::vector<std::uint32_t>& resultIds);

}  // namespace plimod
