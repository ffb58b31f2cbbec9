// The reservation operations over the older command set (plimod-b), one
// for one. Recording results are neither listed nor deleted here.

#include "recorder/legacy/epgtimer_srv_legacy_client.h"
#include "recorder/base/reserve_row.h"

namespace plimod {

namespace legacy = EpgTimerSrvLegacyClient;

int SrvAddReservation(const ReserveRow& row, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::AddReservation(row, timeoutMs));
}

// The older command set adds one row per command.
int SrvAddReservations(const std::vector<ReserveRow>& rows, std::size_t& added, std::uint32_t timeoutMs) {
  added = 0;
  for (const ReserveRow& row : rows) {
    const std::uint32_t code = legacy::AddReservation(row, timeoutMs);
    if (code != legacy::kSuccess) return static_cast<int>(code);
    ++added;
  }
  return static_cast<int>(legacy::kSuccess);
}

int SrvGetReservation(std::uint32_t reserveId, ReserveRow& row, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::GetReservation(reserveId, row, timeoutMs));
}

int SrvDeleteReservations(const std::vector<ReserveRow>& rows, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::DeleteReservations(rows, timeoutMs));
}

int SrvChangeReservation(const ReserveRow& row, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::ChangeReservation(row, timeoutMs));
}

int SrvEnumReservations(std::vector<ReserveRow>& rows, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::EnumReservations(rows, timeoutMs));
}

int SrvEnumReservedPrograms(std::vector<std::uint64_t>& programKeys, std::uint32_t timeoutMs) {
  std::vector<ReserveRow> rows;
  const std::uint32_t code = legacy::EnumReservations(rows, timeoutMs);
  if (code != legacy::kSuccess) return static_cast<int>(code);
  programKeys.reserve(programKeys.size() + rows.size());
  for (const ReserveRow& row : rows) programKeys.push_back(ProgramKeyOf(row));
  return static_cast<int>(legacy::kSuccess);
}

int SrvEnumTunerReservations(std::vector<TunerReserveRow>& tuners, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::EnumTunerReservations(tuners, timeoutMs));
}

bool SrvUnreachable(int result) {
  return result == static_cast<int>(legacy::kTimeOut) || result == static_cast<int>(legacy::kPipeNotOpened);
}

bool SrvListsRecordingResults() { return false; }

std::uint32_t SrvDeleteRecordedInfo(const std::vector<std::uint32_t>&) {
  return 0;  // the older command set has no such command: nothing was deleted
}

}  // namespace plimod
