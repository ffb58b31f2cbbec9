#pragma once
// This program's own changes to the reservations, made in a copy of the
// lists as last loaded, so a page can show its change without loading the
// whole list again (the reservation-server mode). Each step may run twice on
// the same lists (once more on a load that began before the change), so each
// leaves lists that already show the change as they are. A step on the
// server's reservation `reserveId` also takes the programme's entry still
// without an id (kReserveIdNotKnown), which this program added since the
// last load: it is the same reservation.

#include <cstdint>

#include "recorder/lines/reserve_line.h"
#include "recorder/lists/reserve_lists.h"

namespace plimod {

// Put in start order, after the entries that start at the same time;
// nothing when the list holds a reservation of the programme already.
void InsertReserveEntry(ReserveLists& lists, const ReserveEntry& entry);
// The reservation as the server holds it: it takes the place of the
// programme's entry of its id or of one still without an id
// (kReserveIdNotKnown), keeping that entry's tuner, or is put in start order
// as above; the programme is unrecordable as the entry's verdict says.
void PutReserveEntry(ReserveLists& lists, const ReserveEntry& entry);
// Removes the reservation `reserveId` of the programme, and the programme
// from the unrecordable list when no reservation of it is left.
void RemoveReserveEntry(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId);
// The reservation `reserveId` of the programme takes the line's texts,
// times and options (its batch flag stays when the line keeps the
// recorder's batch path).
void ChangeReserveEntry(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId,
                        const ReserveLine& line);
void SetReserveEntryMode(ReserveLists& lists, std::uint64_t programKey, std::int32_t reserveId,
                         std::int32_t recordMode);

}  // namespace plimod
