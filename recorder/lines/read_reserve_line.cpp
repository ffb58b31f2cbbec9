#include "recorder/lines/read_reserve_line.h"

#include "recorder/base/recorder_paths.h"
#include "recorder/lines/reserve_text.h"

namespace plimod {

std::optional<ReserveLine> ReadReserveLine(const IniFile& settings, std::uint64_t programKey,
                                           int reserveId) {
  const auto path = LocateProgramTxt(settings);
  if (!path) return std::nullopt;
  const std::string text = LoadReserveText(settings, *path);
  for (const ReserveTextLine& line : SplitReserveText(text)) {
    if (!line.IsReservation() || LineProgramKey(line) != programKey) continue;
    if (reserveId < 0 || LineReserveId(line) == reserveId) return ParseReserveTextLine(line);
  }
  return std::nullopt;
}

}  // namespace plimod
