#include "recorder/legacy/epgtimer_srv_legacy_client.h"

#include "recorder/base/page_turns.h"
#include "recorder/legacy/legacy_records.h"

namespace plimod::EpgTimerSrvLegacyClient {

namespace {

constexpr std::string_view kPipeName = "EpgTimerSrvPipe";
constexpr std::string_view kEventName = "EpgTimerSrvConnect";
constexpr std::size_t kPieceBytes = 10240;

std::uint32_t ConnectCode(ServerConnect outcome) {
  switch (outcome) {
    case ServerConnect::kConnected:
      return kSuccess;
    case ServerConnect::kEventFailed:
      return kError;
    case ServerConnect::kTimedOut:
      return kTimeOut;
    case ServerConnect::kPipeNotOpened:
      return kPipeNotOpened;
  }
  return kError;
}

std::uint32_t Exchange(std::uint32_t command, const CommandPacket* body, std::uint32_t timeoutMs,
                       CommandPacket& reply) {
  YieldToPageTurns();
  CommandPacket request;
  if (body != nullptr) request = *body;
  request.param = command;
  return SendByPipe(kEventName, kPipeName, timeoutMs, request, reply);
}

// Reads one list item of a reply into `out`; false when its record is broken.
template <class Row, class Read>
bool TakeItem(const CommandPacket& reply, std::vector<Row>& out, Read read) {
  if (reply.data.empty()) return true;  // an item code with no body adds nothing
  Row row;
  if (!read(row, reply.data)) return false;
  out.push_back(std::move(row));
  return true;
}

// Commands `first`, then `next` while the server answers 2, on one
// connection. Bounded by item count and bytes, since the server decides
// when the walk ends.
template <class Row, class Read>
std::uint32_t Walk(std::uint32_t first, std::uint32_t next, std::vector<Row>& out,
                   std::uint32_t timeoutMs, Read read) {
  YieldToPageTurns();  // the walk is one command: it holds its connection
  CommandPacket reply;
  std::uint32_t code = kError;
  UniqueFd pipe = SendByPipeKeepOpen(kEventName, kPipeName, timeoutMs, CommandPacket{first, {}},
                                     reply, code);
  if (!pipe) return code;
  std::size_t items = 0;
  std::size_t bytes = 0;
  for (;;) {
    if (code != kSuccess && code != kNext) return code;
    if (!TakeItem(reply, out, read)) return kError;
    if (code == kSuccess) return kSuccess;
    bytes += reply.data.size();
    if (++items >= kMaxWalkItems || bytes > kMaxPacketBytes) return kError;
    code = SendOnOpenPipe(pipe.get(), CommandPacket{next, {}}, reply);
  }
}

}  // namespace

UniqueFd SendByPipeKeepOpen(std::string_view eventName, std::string_view pipeName,
                            std::uint32_t timeoutMs, const CommandPacket& request,
                            CommandPacket& reply, std::uint32_t& code) {
  UniqueFd pipe;
  // One attempt at the pipe: the older client does not retry.
  code = ConnectCode(ConnectToServer(eventName, pipeName, timeoutMs, 1, pipe));
  if (code != kSuccess) return UniqueFd();
  code = SendOnOpenPipe(pipe.get(), request, reply);
  if (code == kError) return UniqueFd();
  return pipe;
}

std::uint32_t SendByPipe(std::string_view eventName, std::string_view pipeName,
                         std::uint32_t timeoutMs, const CommandPacket& request,
                         CommandPacket& reply) {
  std::uint32_t code = kError;
  (void)SendByPipeKeepOpen(eventName, pipeName, timeoutMs, request, reply, code);
  return code;
}

std::uint32_t SendOnOpenPipe(int fd, const CommandPacket& request, CommandPacket& reply) {
  if (!WritePacket(fd, request, kPieceBytes, kSrvIoTimeoutMs) ||
      !ReadPacket(fd, reply, kPieceBytes, kSrvIoTimeoutMs)) {
    return kError;
  }
  return reply.param;
}

std::uint32_t AddReservation(const ReserveRow& row, std::uint32_t timeoutMs) {
  CommandPacket body;
  CommandPacket reply;
  WriteReserveRecord(row, body);
  return Exchange(13, &body, timeoutMs, reply);
}

std::uint32_t GetReservation(std::uint32_t reserveId, ReserveRow& row, std::uint32_t timeoutMs) {
  CommandPacket body;
  CommandPacket reply;
  WriteId(reserveId, body);
  const std::uint32_t code = Exchange(12, &body, timeoutMs, reply);
  if (code != kSuccess) return code;
  // Success with a body that holds no whole record would leave the row
  // unfilled: report it as the failure it is.
  return ReadReserveRecord(row, reply.data) ? kSuccess : kError;
}

std::uint32_t DeleteReservations(const std::vector<ReserveRow>& rows, std::uint32_t timeoutMs) {
  CommandPacket body;
  CommandPacket reply;
  WriteReserveList(rows, body);
  return Exchange(61, &body, timeoutMs, reply);
}

std::uint32_t ChangeReservation(const ReserveRow& row, std::uint32_t timeoutMs) {
  CommandPacket body;
  CommandPacket reply;
  WriteReserveRecord(row, body);
  return Exchange(15, &body, timeoutMs, reply);
}

std::uint32_t EnumReservations(std::vector<ReserveRow>& rows, std::uint32_t timeoutMs) {
  return Walk(10, 11, rows, timeoutMs, [](ReserveRow& row, std::span<const std::uint8_t> body) {
    return ReadReserveRecord(row, body);
  });
}

std::uint32_t EnumTunerReservations(std::vector<TunerReserveRow>& tuners,
                                    std::uint32_t timeoutMs) {
  return Walk(16, 17, tuners, timeoutMs,
              [](TunerReserveRow& tuner, std::span<const std::uint8_t> body) {
                return ReadTunerReserveRecord(tuner, body);
              });
}

}  // namespace plimod::EpgTimerSrvLegacyClient
