// The reservation operations over the newer command set (plimod). A
// server that cannot be reached keeps the client's code (207 or 205), every
// other failure becomes 1; the time-out argument is not used, the client's
// own connect time-out applies.

#include <algorithm>
#include <array>
#include <cinttypes>
#include <iterator>
#include <tuple>
#include <cstdio>
#include <unordered_set>

#include "guide/civil_time.h"
#include "recorder/base/reserve_row.h"
#include "recorder/srv/cmd_stream.h"
#include "recorder/srv/epgtimer_srv_client.h"
#include "recorder/srv/srv_row_conversion.h"

namespace plimod {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr std::uint8_t kDisabledMode = 5;

// One add command carries rows up to about this many bytes, well inside
// what a reader of the pipe would take as one packet.
constexpr std::size_t kAddBatchBytes = kMaxPacketBytes / 4;

bool Unreachable(std::uint32_t code) { return code == kSrvTimeOut || code == kSrvPipeNotOpened; }

int Outcome(std::uint32_t code) {
  if (code == kSrvSuccess) return kDone;
  return Unreachable(code) ? static_cast<int>(code) : kFailed;
}

// Start order, the later-received first among equal starts: what putting
// each row before the first one that does not start earlier gives, sorted
// once instead. Rows already in `rows` are taken to be in that order and
// to have come first. The rows are big: an order of small keys is sorted
// and each row moved once.
void MergeByStart(std::vector<ReserveRow>& rows, std::vector<ReserveRow> received) {
  struct Place {
    std::array<std::uint16_t, 6> start;  // year to second, as SystemTimeLess compares
    std::size_t later;                   // 0 for the last received
  };
  std::vector<Place> order;
  order.reserve(received.size());
  for (std::size_t i = 0; i < received.size(); ++i) {
    const SystemTime& t = received[i].start;
    order.push_back({{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond}, received.size() - 1 - i});
  }
  std::sort(order.begin(), order.end(),
            [](const Place& a, const Place& b) { return std::tie(a.start, a.later) < std::tie(b.start, b.later); });
  std::vector<ReserveRow> sorted;
  sorted.reserve(rows.size() + received.size());
  for (const Place& place : order) sorted.push_back(std::move(received[received.size() - 1 - place.later]));
  const auto count = static_cast<std::ptrdiff_t>(sorted.size());
  sorted.insert(sorted.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
  if (count != static_cast<std::ptrdiff_t>(sorted.size())) {
    // Stable: among equal starts the new rows stay before the old.
    std::inplace_merge(sorted.begin(), sorted.begin() + count, sorted.end(),
                       [](const ReserveRow& a, const ReserveRow& b) { return !SystemTimeLess(b.start, a.start); });
  }
  rows = std::move(sorted);
}

SrvReserveData NewReserveData(const ReserveRow& row) {
  SrvReserveData data;
  ToSrvReserveData(row, data);
  data.programStart = row.start;
  return data;
}

// The indexes of the rows from `next` on that one add command carries;
// `next` moves past them.
std::vector<std::size_t> NextAddBatch(const std::vector<ReserveRow>& rows, std::size_t& next) {
  std::vector<std::size_t> batch;
  std::size_t batchBytes = 0;
  while (next < rows.size() && (batch.empty() || batchBytes < kAddBatchBytes)) {
    batchBytes += CmdStreamSize(NewReserveData(rows[next]));
    batch.push_back(next++);
  }
  return batch;
}

int AddList(const std::vector<ReserveRow>& rows, const std::vector<std::size_t>& batch) {
  std::vector<SrvReserveData> list;
  list.reserve(batch.size());
  for (std::size_t i : batch) list.push_back(NewReserveData(rows[i]));
  return Outcome(ProgramSrvClient().AddReserve(list));
}

// After a list add that failed as a whole: the server may have taken the
// list all the same (an answer cut short), so its list is looked at again
// and only the rows it lacks are sent, one per command. When that look
// fails the rows keep the list's result: none is sent twice.
void AddEachAgain(const std::vector<ReserveRow>& rows, const std::vector<std::size_t>& batch,
                  const SrvAddTurns& turns, std::vector<std::optional<int>>& results) {
  std::vector<std::uint64_t> listed;
  std::vector<std::size_t> none;
  const int looked = *turns.Command(none, [&] { return SrvEnumReservedPrograms(listed, 0); });
  if (looked != kDone) {
    if (SrvUnreachable(looked)) {
      for (std::size_t i : batch) results[i] = looked;
    }
    return;
  }
  const std::unordered_set<std::uint64_t> held(listed.begin(), listed.end());
  for (std::size_t at = 0; at < batch.size(); ++at) {
    const std::size_t i = batch[at];
    std::vector<std::size_t> one{i};
    const bool taken = held.contains(ProgramKeyOf(rows[i]));
    results[i] = turns.Command(one, [&] { return taken ? kDone : SrvAddReservation(rows[i], 0); });
    if (results[i] && SrvUnreachable(*results[i])) {
      for (std::size_t rest = at + 1; rest < batch.size(); ++rest) results[batch[rest]] = results[i];
      return;
    }
  }
}

ReserveRow RowOf(SrvReserveData&& data) {
  ReserveRow row;
  FromSrvReserveData(std::move(data), row);
  (void)AddSecondsToSystemTime(row.start, 0);  // normalised as the server's clock would
  return row;
}

std::wstring ResultComment(const SrvRecFileInfo& result) {
  std::wstring comment = result.comment;
  if (result.dropCount != 0 || result.scrambleCount != 0) {
    char counts[64];
    std::snprintf(counts, sizeof counts, " drop:%" PRId64 " scramble:%" PRId64, result.dropCount,
                  result.scrambleCount);
    comment.append(counts, counts + std::char_traits<char>::length(counts));
  }
  return comment;
}

SrvReserveData ResultAsReservation(const SrvRecFileInfo& result) {
  SrvReserveData data;
  static_cast<ReservedProgram&>(data) = result;
  data.comment = ResultComment(result);
  data.reserveId = 0u - result.resultId;
  if ((result.status & 0xFF00) != 0) data.unrecordable = 1;
  if ((result.status & 0xFF) > 1) data.unrecordable = 2;
  data.programStart = result.programStart;
  if (result.fileText.empty()) data.setting.recordMode = kDisabledMode;
  return data;
}

}  // namespace

int SrvAddReservation(const ReserveRow& row, std::uint32_t) {
  return Outcome(ProgramSrvClient().AddReserve({NewReserveData(row)}));
}

std::vector<std::optional<int>> SrvAddReservations(const std::vector<ReserveRow>& rows, std::uint32_t,
                                                   const SrvAddTurns& turns) {
  std::vector<std::optional<int>> results(rows.size());
  for (std::size_t next = 0; next < rows.size();) {
    std::vector<std::size_t> batch = NextAddBatch(rows, next);
    const std::optional<int> result = turns.Command(batch, [&] { return AddList(rows, batch); });
    if (!result) continue;
    for (std::size_t i : batch) results[i] = result;
    if (*result != kDone && batch.size() > 1 && !SrvUnreachable(*result)) AddEachAgain(rows, batch, turns, results);
    if (const std::optional<int> last = results[batch.back()]; last && SrvUnreachable(*last)) {
      std::fill(results.begin() + static_cast<std::ptrdiff_t>(next), results.end(), last);
      break;
    }
  }
  return results;
}

int SrvGetReservation(std::uint32_t reserveId, ReserveRow& row, std::uint32_t) {
  SrvReserveData data;
  if (ProgramSrvClient().GetReserve(reserveId, data) != kSrvSuccess) return kFailed;
  FromSrvReserveData(data, row);
  return kDone;
}

int SrvDeleteReservations(const std::vector<ReserveRow>& rows, std::uint32_t) {
  std::vector<std::uint32_t> ids;
  for (const ReserveRow& row : rows) ids.push_back(static_cast<std::uint32_t>(row.reserveId));
  return Outcome(ProgramSrvClient().DelReserve(ids));
}

int SrvChangeReservation(const ReserveRow& row, std::uint32_t) {
  SrvReserveData data;
  if (ProgramSrvClient().GetReserve(static_cast<std::uint32_t>(row.reserveId), data) !=
      kSrvSuccess) {
    return kFailed;
  }
  ToSrvReserveData(row, data);  // over the server's record: what rows lack stays
  return Outcome(ProgramSrvClient().ChgReserve({data}));
}

int SrvEnumReservations(std::vector<ReserveRow>& rows, std::uint32_t) {
  std::vector<SrvReserveData> reserves;
  if (ProgramSrvClient().EnumReserve(reserves) != kSrvSuccess) return kFailed;
  std::vector<ReserveRow> received;
  received.reserve(reserves.size());
  for (SrvReserveData& data : reserves) received.push_back(RowOf(std::move(data)));
  MergeByStart(rows, std::move(received));
  std::vector<SrvRecFileInfo> results;
  if (ProgramSrvClient().EnumRecResult(results) != kSrvSuccess) return kFailed;
  received.clear();
  received.reserve(results.size());
  for (const SrvRecFileInfo& result : results) received.push_back(RowOf(ResultAsReservation(result)));
  MergeByStart(rows, std::move(received));
  return kDone;
}

int SrvEnumReservedRows(std::vector<ReserveRow>& rows, std::uint32_t) {
  std::vector<SrvReserveData> reserves;
  const std::uint32_t code = ProgramSrvClient().EnumReserve(reserves);
  if (code != kSrvSuccess) return Outcome(code);
  rows.reserve(rows.size() + reserves.size());
  for (SrvReserveData& data : reserves) rows.push_back(RowOf(std::move(data)));
  return kDone;
}

int SrvEnumReservedPrograms(std::vector<std::uint64_t>& programKeys, std::uint32_t) {
  std::vector<SrvReserveData> reserves;
  const std::uint32_t code = ProgramSrvClient().EnumReserve(reserves);
  if (code != kSrvSuccess) return Outcome(code);
  programKeys.reserve(programKeys.size() + reserves.size());
  for (const SrvReserveData& data : reserves) programKeys.push_back(ProgramKeyOf(data));
  return kDone;
}

int SrvEnumTunerReservations(std::vector<TunerReserveRow>& tuners, std::uint32_t) {
  std::vector<SrvTunerReserve> received;
  if (ProgramSrvClient().EnumTunerReserve(received) != kSrvSuccess) return kFailed;
  for (SrvTunerReserve& tuner : received) {
    const std::uint32_t id = tuner.tunerId == 0xFFFFFFFF ? 0 : tuner.tunerId & 0xFF;
    tuners.push_back({std::move(tuner.tunerName), id, std::move(tuner.reserveIds)});
  }
  return kDone;
}

bool SrvUnreachable(int result) { return result >= 0 && Unreachable(static_cast<std::uint32_t>(result)); }

bool SrvListsRecordingResults() { return true; }

std::uint32_t SrvDeleteRecordedInfo(const std::vector<std::uint32_t>& resultIds) {
  return ProgramSrvClient().DelRecResult(resultIds);
}

}  // namespace plimod
