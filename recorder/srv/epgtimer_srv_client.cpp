#include "recorder/srv/epgtimer_srv_client.h"

#include <utility>

#include "recorder/base/page_turns.h"
#include "recorder/srv/cmd_stream.h"

namespace plimod {

namespace {

constexpr std::size_t kPipePieceBytes = 0x100000;
// The pipe's folder is never missing, so opening it again is the retry.
constexpr int kPipeOpenAttempts = 2;

constexpr const std::uint32_t* kNoBody = nullptr;
constexpr std::vector<std::uint32_t>* kNoReply = nullptr;

// A command's turn at the server. One that waited out the lock goes on
// without it and, at its end, frees nothing.
class LockHolder {
 public:
  LockHolder(TurnLock& lock, std::uint32_t waitMs) : lock_(lock), held_(lock.Acquire(waitMs)) {}
  ~LockHolder() {
    if (held_) lock_.Release();
  }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

 private:
  TurnLock& lock_;
  bool held_;
};

}  // namespace

EpgTimerSrvClient::EpgTimerSrvClient(std::string pipeName, std::string eventName,
                                     std::uint32_t connectTimeoutMs, std::uint32_t lockWaitMs,
                                     std::uint32_t ioTimeoutMs)
    : pipeName_(std::move(pipeName)),
      eventName_(std::move(eventName)),
      connectTimeoutMs_(connectTimeoutMs),
      lockWaitMs_(lockWaitMs),
      ioTimeoutMs_(ioTimeoutMs) {}

EpgTimerSrvClient::~EpgTimerSrvClient() = default;

bool EpgTimerSrvClient::Lock(std::uint32_t ms) {
  (void)lock_.Acquire(ms);
  return true;
}

void EpgTimerSrvClient::Unlock() { lock_.Release(); }

std::uint32_t EpgTimerSrvClient::SendByPipe(const CommandPacket& request, CommandPacket& reply) {
  if (pipeName_.empty() || eventName_.empty()) return kSrvInvalidArgument;
  UniqueFd pipe;
  switch (ConnectToServer(eventName_, pipeName_, connectTimeoutMs_, kPipeOpenAttempts, pipe)) {
    case ServerConnect::kConnected:
      break;
    case ServerConnect::kEventFailed:
      return kSrvError;
    case ServerConnect::kTimedOut:
      return kSrvTimeOut;
    case ServerConnect::kPipeNotOpened:
      return kSrvPipeNotOpened;
  }
  if (!WritePacket(pipe.get(), request, kPipePieceBytes, ioTimeoutMs_) ||
      !ReadPacket(pipe.get(), reply, kPipePieceBytes, ioTimeoutMs_)) {
    return kSrvError;
  }
  return reply.param;
}

template <class Body, class Out>
std::uint32_t EpgTimerSrvClient::Command(std::uint32_t code, const Body* body, Out* out) {
  YieldToPageTurns();
  const LockHolder holder(lock_, lockWaitMs_);
  CommandPacket request{code, {}};
  if (body != nullptr) {
    request.data.resize(CmdStreamSize(*body));
    std::size_t written = 0;
    if (!CmdStreamWrite(*body, request.data, written)) return kSrvError;
  }
  CommandPacket reply;
  std::uint32_t result = SendByPipe(request, reply);
  if (result == kSrvSuccess && out != nullptr) {
    std::size_t used = 0;
    if (!CmdStreamRead(*out, reply.data, used)) result = kSrvError;
  }
  return result;
}

std::uint32_t EpgTimerSrvClient::EnumReserve(std::vector<SrvReserveData>& out) {
  return Command(1011, kNoBody, &out);
}

std::uint32_t EpgTimerSrvClient::GetReserve(std::uint32_t reserveId, SrvReserveData& out) {
  return Command(1012, &reserveId, &out);
}

std::uint32_t EpgTimerSrvClient::AddReserve(const std::vector<SrvReserveData>& reserves) {
  return Command(1013, &reserves, kNoReply);
}

std::uint32_t EpgTimerSrvClient::DelReserve(const std::vector<std::uint32_t>& reserveIds) {
  return Command(1014, &reserveIds, kNoReply);
}

std::uint32_t EpgTimerSrvClient::ChgReserve(const std::vector<SrvReserveData>& reserves) {
  return Command(1015, &reserves, kNoReply);
}

std::uint32_t EpgTimerSrvClient::EnumTunerReserve(std::vector<SrvTunerReserve>& out) {
  return Command(1016, kNoBody, &out);
}

std::uint32_t EpgTimerSrvClient::EnumRecResult(std::vector<SrvRecFileInfo>& out) {
  return Command(1017, kNoBody, &out);
}

std::uint32_t EpgTimerSrvClient::DelRecResult(const std::vector<std::uint32_t>& resultIds) {
  return Command(1018, &resultIds, kNoReply);
}

EpgTimerSrvClient& ProgramSrvClient() {
  static EpgTimerSrvClient client;
  return client;
}

}  // namespace plimod
