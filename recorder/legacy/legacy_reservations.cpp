// The reservation operations over the older command set (plimod-b), one
// for one. Recording results are neither listed nor deleted here.

#include <algorithm>

#include "recorder/legacy/epgtimer_srv_legacy_client.h"
#include "recorder/base/reserve_row.h"

namespace plimod {

namespace legacy = EpgTimerSrvLegacyClient;

int SrvAddReservation(const ReserveRow& row, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::AddReservation(row, timeoutMs));
}

// The older command set adds one row per command; a refused row leaves
// the rows after it to their own commands.
std::vector<std::optional<int>> SrvAddReservations(const std::vector<ReserveRow>& rows, std::uint32_t timeoutMs,
                                                   const SrvAddTurns& turns) {
  std::vector<std::optional<int>> results(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    std::vector<std::size_t> one{i};
    const std::optional<int> result = turns.Command(one, [&] { return SrvAddReservation(rows[i], timeoutMs); });
    results[i] = result;
    if (result && SrvUnreachable(*result)) {
      std::fill(results.begin() + static_cast<std::ptrdiff_t>(i), results.end(), result);
      break;
    }
  }
  return results;
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

int SrvEnumReservedRows(std::vector<ReserveRow>& rows, std::uint32_t timeoutMs) {
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
