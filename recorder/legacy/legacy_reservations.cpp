// The reservation operations over the older command set (plimod-b), one
// for one. Recording results are neither listed nor deleted here.

#include "recorder/legacy/epgtimer_srv_legacy_client.h"
#include "recorder/reserve_row.h"

namespace plimod {

namespace legacy = EpgTimerSrvLegacyClient;

int SrvAddReservation(const ReserveRow& row, std::uint32_t timeoutMs) {
  return static_cast<int>(legacy::AddReservation(row, timeoutMs));
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
