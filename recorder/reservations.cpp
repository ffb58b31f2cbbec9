#include "recorder/reservations.h"

#include "recorder/program_txt_append.h"
#include "recorder/recorder_mode.h"
#include "recorder/recorder_paths.h"

namespace plimod {

bool AddReservation(const IniFile& settings, const ReserveLine& line) {
  if (EpgTimerSrvMode()) return false;
  const auto path = LocateProgramTxt(settings);
  return path && AppendProgramTxtLine(*path, FormatProgramTxtLine(line));
}

bool ChangeReservation(const ReserveLine&, std::uint64_t, int) {
  if (!EpgTimerSrvMode()) return false;
  return false;
}

bool DeleteReservation(std::uint64_t, int) {
  if (!EpgTimerSrvMode()) return false;
  return false;
}

}  // namespace plimod
