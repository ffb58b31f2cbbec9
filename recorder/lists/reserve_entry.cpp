#include "recorder/lists/reserve_entry.h"

#include <algorithm>
#include <limits>

#include "platform/text_codec.h"
#include "util/keys.h"

namespace plimod {

std::uint64_t ReserveEntry::ProgramKey() const { return plimod::ProgramKey(eventId, serviceKey); }

std::string CutCp932(std::string text, std::size_t maxBytes) {
  text.resize(Cp932CutPoint(text, maxBytes));
  return text;
}

ReserveEntry ReserveEntryOfLine(const ReserveLine& line, std::uint64_t programKey, std::int32_t reserveId) {
  ReserveEntry entry;
  entry.reserveId = reserveId;
  entry.start = line.start;
  entry.durationSeconds = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      DurationSecondsOf(line), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  entry.title = CutCp932(line.title, kEntryTitleMaxBytes);
  entry.station = CutCp932(line.station, kEntryStationMaxBytes);
  entry.serviceKey = ServiceKeyOf(programKey);
  entry.eventId = EidOf(programKey);
  entry.follow = line.follow;
  entry.recordMode = line.recordMode;
  entry.comment = CutCp932(line.comment, kEntryCommentMaxBytes);
  entry.priority = line.priority;
  entry.pittari = line.pittari;
  entry.batch = !line.batchPath.empty() && line.batchPath != "0" ? 1 : 0;
  return entry;
}

}  // namespace plimod
