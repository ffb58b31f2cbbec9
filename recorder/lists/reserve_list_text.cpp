#include "recorder/lists/reserve_list_text.h"

#include "recorder/lines/reserve_line.h"
#include "recorder/lines/reserve_text.h"
#include "util/keys.h"

namespace plimod {

namespace {

ReserveEntry EntryOfLine(const ReserveTextLine& line, const ReserveLine& record) {
  ReserveEntry entry = ReserveEntryOfLine(record, LineProgramKey(line), LineReserveId(line));
  entry.batch = line.Field(14).size() > 1 ? 1 : 0;  // a one-character field is no batch
  return entry;
}

}  // namespace

int AddTextReservations(ReserveLists& lists, const std::string& text, const TunerCounts& counts) {
  int skipped = 0;
  const std::vector<ReserveTextLine> lines = SplitReserveText(text);
  lists.reserveList.reserve(lists.reserveList.size() + lines.size());
  for (const ReserveTextLine& line : lines) {
    if (!line.IsReservation()) continue;
    const ReserveLine record = ParseReserveTextLine(line);
    if (!IsValidSystemTime(record.start)) {
      ++skipped;
      continue;
    }
    const ReserveEntry& entry = lists.reserveList.emplace_back(EntryOfLine(line, record));
    // Whether it found a tuner shows in the unrecordable list.
    if (!entry.Disabled()) PlaceInTunerSlot(lists, counts, entry.ProgramKey(), entry.start, entry.durationSeconds);
  }
  return skipped;
}

}  // namespace plimod
