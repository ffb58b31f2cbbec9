#include "recorder/lists/reserve_list_text.h"

#include <algorithm>
#include <limits>

#include "recorder/lines/reserve_line.h"
#include "recorder/lines/reserve_text.h"
#include "util/keys.h"

namespace plimod {

namespace {

std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

ReserveEntry EntryOfLine(const ReserveTextLine& line, const ReserveLine& record) {
  ReserveEntry entry;
  const std::uint64_t programKey = LineProgramKey(line);
  entry.reserveId = LineReserveId(line);
  entry.start = record.start;
  entry.durationSeconds = ClampToInt32(DurationSecondsOf(record));
  entry.title = CutCp932(record.title, kEntryTitleMaxBytes);
  entry.station = CutCp932(record.station, kEntryStationMaxBytes);
  entry.serviceKey = ServiceKeyOf(programKey);
  entry.eventId = EidOf(programKey);
  entry.follow = record.follow;
  entry.recordMode = record.recordMode;
  entry.comment = CutCp932(record.comment, kEntryCommentMaxBytes);
  entry.priority = record.priority;
  entry.pittari = record.pittari;
  entry.batch = line.Field(14).size() > 1 ? 1 : 0;
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
