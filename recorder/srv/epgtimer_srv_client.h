#pragma once
// The program's side of the reservation server's command protocol: one
// command per connection, its body in the command stream (cmd_stream.h),
// the server's result code passed back. Commands from several threads take
// turns through a lock, in the order they came; one that waits longer than
// the lock wait runs anyway, so a command that hangs cannot stop the others
// for good. Before its turn a command of a background thread lets a page's
// change go first (recorder/base/page_turns.h).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "recorder/srv/srv_records.h"
#include "recorder/srv/srv_connection.h"

namespace plimod {

// Result codes besides the server's own (1 is its success).
inline constexpr std::uint32_t kSrvSuccess = 1;
inline constexpr std::uint32_t kSrvError = 0;
inline constexpr std::uint32_t kSrvInvalidArgument = 204;
inline constexpr std::uint32_t kSrvPipeNotOpened = 205;
inline constexpr std::uint32_t kSrvTimeOut = 207;

class EpgTimerSrvClient {
 public:
  inline static constexpr std::uint32_t kDefaultConnectTimeoutMs = 15'000;
  inline static constexpr std::uint32_t kDefaultLockWaitMs = 60'000;

  // The program's client uses the defaults; tests name their own server
  // and shorten the waits.
  explicit EpgTimerSrvClient(std::string pipeName = "EpgTimerSrvPipe",
                             std::string eventName = "EpgTimerSrvConnect",
                             std::uint32_t connectTimeoutMs = kDefaultConnectTimeoutMs,
                             std::uint32_t lockWaitMs = kDefaultLockWaitMs,
                             std::uint32_t ioTimeoutMs = kSrvIoTimeoutMs);
  ~EpgTimerSrvClient();
  EpgTimerSrvClient(const EpgTimerSrvClient&) = delete;
  EpgTimerSrvClient& operator=(const EpgTimerSrvClient&) = delete;

  std::uint32_t EnumReserve(std::vector<SrvReserveData>& out);                 // 1011
  std::uint32_t GetReserve(std::uint32_t reserveId, SrvReserveData& out);      // 1012
  std::uint32_t AddReserve(const std::vector<SrvReserveData>& reserves);       // 1013
  std::uint32_t DelReserve(const std::vector<std::uint32_t>& reserveIds);      // 1014
  std::uint32_t ChgReserve(const std::vector<SrvReserveData>& reserves);       // 1015
  std::uint32_t EnumTunerReserve(std::vector<SrvTunerReserve>& out);           // 1016
  std::uint32_t EnumRecResult(std::vector<SrvRecFileInfo>& out);               // 1017
  std::uint32_t DelRecResult(const std::vector<std::uint32_t>& resultIds);     // 1018

  // Waits up to `ms` for the lock, behind the threads that came first; a
  // wait that expires still returns true and the caller goes on without it.
  bool Lock(std::uint32_t ms);
  // Frees the lock when the calling thread holds it, handing it to the
  // first waiter. A thread that went on without it frees nothing, so it
  // never lets a second command in beside the holder's.
  void Unlock();

  // One exchange: waits for the connect event, opens the pipe, sends the
  // request, reads the reply. Returns the reply's code, or 204, 205, 207, 0.
  std::uint32_t SendByPipe(const CommandPacket& request, CommandPacket& reply);

 private:
  template <class Body, class Out>
  std::uint32_t Command(std::uint32_t code, const Body* body, Out* out);

  TurnLock lock_;
  std::string pipeName_;
  std::string eventName_;
  std::uint32_t connectTimeoutMs_;
  std::uint32_t lockWaitMs_;
  std::uint32_t ioTimeoutMs_;
};

// The one client the program uses.
EpgTimerSrvClient& ProgramSrvClient();

}  // namespace plimod
