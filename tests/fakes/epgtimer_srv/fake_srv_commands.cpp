// The newer command set (1011-1018) answered from the kept state.

#include <algorithm>

#include "recorder/srv/cmd_stream.h"
#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"
#include "tests/fakes/epgtimer_srv/fake_srv_replies.h"

namespace plimod::test {

namespace {

constexpr std::uint32_t kOk = 1;
constexpr std::uint32_t kFailed = 0;  // a body that does not decode, an unknown id

template <class T>
bool Decode(const CommandPacket& request, T& out) {
  std::size_t used = 0;
  return CmdStreamRead(out, request.data, used);
}

template <class T>
CommandPacket Reply(const T& value) {
  CommandPacket reply{kOk, std::vector<std::uint8_t>(CmdStreamSize(value))};
  std::size_t written = 0;
  (void)CmdStreamWrite(value, reply.data, written);
  return reply;
}

CommandPacket Code(std::uint32_t code) { return CommandPacket{code, {}}; }

void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A list of `count` elements that hold their size (4) and nothing else.
CommandPacket EmptyRecordList(std::uint32_t count) {
  CommandPacket reply{kOk, {}};
  reply.data.reserve(8 + std::size_t{4} * count);
  PutLe32(reply.data, static_cast<std::uint32_t>(8 + std::size_t{4} * count));
  PutLe32(reply.data, count);
  for (std::uint32_t i = 0; i < count; ++i) PutLe32(reply.data, 4);
  return reply;
}

auto FindReservation(FakeSrvState& state, std::uint32_t id) {
  return std::find_if(state.reservations.begin(), state.reservations.end(),
                      [id](const SrvReserveData& r) { return r.reserveId == id; });
}

CommandPacket GetReserve(FakeSrvState& state, const CommandPacket& request) {
  std::uint32_t id = 0;
  if (!Decode(request, id)) return Code(kFailed);
  auto found = FindReservation(state, id);
  return found == state.reservations.end() ? Code(kFailed) : Reply(*found);
}

CommandPacket AddReserves(FakeSrvState& state, const CommandPacket& request, const std::wstring& refusedTitle) {
  std::vector<SrvReserveData> added;
  if (!Decode(request, added)) return Code(kFailed);
  if (std::any_of(added.begin(), added.end(),
                  [&](const SrvReserveData& r) { return TitleRefused(r.title, refusedTitle); })) {
    return Code(kFailed);
  }
  for (SrvReserveData& reserve : added) {
    reserve.reserveId = state.nextReserveId++;
    state.reservations.push_back(std::move(reserve));
  }
  return Code(kOk);
}

CommandPacket ChangeReserves(FakeSrvState& state, const CommandPacket& request) {
  std::vector<SrvReserveData> changed;
  if (!Decode(request, changed)) return Code(kFailed);
  for (SrvReserveData& reserve : changed) {
    auto found = FindReservation(state, reserve.reserveId);
    if (found == state.reservations.end()) return Code(kFailed);
    *found = std::move(reserve);
  }
  return Code(kOk);
}

template <class T>
CommandPacket DeleteByIds(std::vector<T>& records, std::uint32_t T::*id,
                          const CommandPacket& request) {
  std::vector<std::uint32_t> ids;
  if (!Decode(request, ids)) return Code(kFailed);
  std::erase_if(records, [&](const T& r) {
    return std::find(ids.begin(), ids.end(), r.*id) != ids.end();
  });
  return Code(kOk);
}

}  // namespace

CommandPacket AnswerCommand(FakeSrvState& state, const CommandPacket& request, const std::wstring& refusedTitle) {
  switch (request.param) {
    case 1011:
      return state.emptyRecords > 0 ? EmptyRecordList(state.emptyRecords) : Reply(state.reservations);
    case 1012:
      return GetReserve(state, request);
    case 1013:
      return AddReserves(state, request, refusedTitle);
    case 1014:
      return DeleteByIds(state.reservations, &SrvReserveData::reserveId, request);
    case 1015:
      return ChangeReserves(state, request);
    case 1016:
      return CommandPacket{kOk, EncodeTunerReserves(state.tuners)};
    case 1017:
      return CommandPacket{kOk, EncodeRecResults(state.results)};
    case 1018:
      return DeleteByIds(state.results, &SrvRecFileInfo::resultId, request);
    default:
      return Code(kFailed);
  }
}

}  // namespace plimod::test
