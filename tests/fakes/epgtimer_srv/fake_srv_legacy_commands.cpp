// The older command set (10-17, 61) answered from the same kept state as
// the newer one. A list walk keeps its cursor per connection.

#include <algorithm>

#include "recorder/legacy/legacy_records.h"
#include "recorder/srv/srv_row_conversion.h"
#include "recorder/srv/srv_wire_text.h"
#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"
#include "tests/fakes/epgtimer_srv/fake_srv_replies.h"

namespace plimod::test {

namespace {

namespace legacy = EpgTimerSrvLegacyClient;

constexpr std::uint32_t kOk = 0;
constexpr std::uint32_t kFailed = 1;
constexpr std::uint32_t kMore = 2;

CommandPacket Code(std::uint32_t code) { return CommandPacket{code, {}}; }

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The name's length counts its NUL; the id goes whole.
std::vector<std::uint8_t> TunerRecord(const SrvTunerReserve& tuner) {
  std::vector<std::uint8_t> out;
  const std::size_t units = WireUnitCount(tuner.tunerName);
  PutLe32(out, static_cast<std::uint32_t>(2 * units + 2));
  out.resize(4 + 2 * units + 2, 0);
  WriteWireUnits(tuner.tunerName, out.data() + 4);
  PutLe32(out, tuner.tunerId);
  PutLe32(out, static_cast<std::uint32_t>(tuner.reserveIds.size()));
  for (std::uint32_t id : tuner.reserveIds) PutLe32(out, id);
  return out;
}

CommandPacket ReserveReply(const SrvReserveData& data, std::uint32_t code) {
  ReserveRow row;
  FromSrvReserveData(data, row);
  CommandPacket reply{code, {}};
  legacy::WriteReserveRecord(row, reply);
  return reply;
}

auto FindReservation(FakeSrvState& state, std::uint32_t id) {
  return std::find_if(state.reservations.begin(), state.reservations.end(),
                      [id](const SrvReserveData& r) { return r.reserveId == id; });
}

template <class T, class Encode>
CommandPacket WalkStep(const std::vector<T>& items, std::size_t& cursor, Encode encode) {
  if (cursor >= items.size()) return Code(kOk);
  const std::uint32_t code = cursor + 1 < items.size() ? kMore : kOk;
  return encode(items[cursor++], code);
}

// A walk of `count` records of 4 bytes (a text length of 0, no fields).
CommandPacket EmptyRecordStep(std::uint32_t count, std::size_t& cursor) {
  if (cursor >= count) return Code(kOk);
  ++cursor;
  return CommandPacket{cursor < count ? kMore : kOk, std::vector<std::uint8_t>(4, 0)};
}

CommandPacket AddReservation(FakeSrvState& state, const CommandPacket& request, const std::wstring& refusedTitle) {
  ReserveRow row;
  if (!legacy::ReadReserveRecord(row, request.data) || TitleRefused(row.title, refusedTitle)) return Code(kFailed);
  SrvReserveData data;
  ToSrvReserveData(row, data);
  data.programStart = row.start;
  data.reserveId = state.nextReserveId++;
  state.reservations.push_back(std::move(data));
  return Code(kOk);
}

CommandPacket ChangeReservation(FakeSrvState& state, const CommandPacket& request) {
  ReserveRow row;
  if (!legacy::ReadReserveRecord(row, request.data)) return Code(kFailed);
  auto found = FindReservation(state, static_cast<std::uint32_t>(row.reserveId));
  if (found == state.reservations.end()) return Code(kFailed);
  ToSrvReserveData(row, *found);
  return Code(kOk);
}

std::uint32_t Le32At(const std::vector<std::uint8_t>& data, std::size_t at) {
  return data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) |
         (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

CommandPacket DeleteReservations(FakeSrvState& state, const CommandPacket& request) {
  const std::vector<std::uint8_t>& data = request.data;
  if (data.size() < 4) return Code(kFailed);
  std::size_t at = 4;
  for (std::uint32_t i = 0, count = Le32At(data, 0); i < count; ++i) {
    if (data.size() - at < 4) return Code(kFailed);
    const std::size_t size = Le32At(data, at);
    at += 4;
    ReserveRow row;
    if (data.size() - at < size ||
        !legacy::ReadReserveRecord(row, std::span(data).subspan(at, size))) {
      return Code(kFailed);
    }
    at += size;
    std::erase_if(state.reservations, [&](const SrvReserveData& r) {
      return r.reserveId == static_cast<std::uint32_t>(row.reserveId);
    });
  }
  return Code(kOk);
}

CommandPacket GetReservation(FakeSrvState& state, const CommandPacket& request) {
  if (request.data.size() != 4) return Code(kFailed);
  auto found = FindReservation(state, Le32At(request.data, 0));
  return found == state.reservations.end() ? Code(kFailed) : ReserveReply(*found, kOk);
}

}  // namespace

CommandPacket AnswerLegacyCommand(FakeSrvState& state, LegacyWalk& walk, const CommandPacket& request,
                                  const std::wstring& refusedTitle) {
  const auto tunerReply = [](const SrvTunerReserve& tuner, std::uint32_t code) {
    return CommandPacket{code, TunerRecord(tuner)};
  };
  switch (request.param) {
    case 10:
      walk.reservations = state.reservations;
      walk.cursor = 0;
      [[fallthrough]];
    case 11:
      if (state.emptyRecords > 0) return EmptyRecordStep(state.emptyRecords, walk.cursor);
      return WalkStep(walk.reservations, walk.cursor, ReserveReply);
    case 12:
      return GetReservation(state, request);
    case 13:
      return AddReservation(state, request, refusedTitle);
    case 15:
      return ChangeReservation(state, request);
    case 16:
      walk.tuners = state.tuners;
      walk.cursor = 0;
      [[fallthrough]];
    case 17:
      return WalkStep(walk.tuners, walk.cursor, tunerReply);
    case 61:
      return DeleteReservations(state, request);
    default:
      return Code(kFailed);
  }
}

}  // namespace plimod::test
