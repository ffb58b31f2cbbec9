#pragma once
// A stand-in for the outside reservation server, for tests and the demo.
// It listens on the pipe socket, sets the connect event whenever it is
// ready for the next connection, and answers the real framing from
// reservations, tuners and recording results kept in memory (the
// reservations also in a file, when asked): an added
// reservation gets a new id, and changes and deletions show in later
// listings. A command can be scripted instead (a fixed code and body, a
// delay, a close in the middle of the body, a lying size). Every request is
// recorded byte for byte. It speaks both command sets: codes from 1000 up
// are the newer one, the rest the older one.

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sync.h"
#include "recorder/srv/srv_records.h"
#include "recorder/srv/srv_connection.h"

namespace plimod::test {

struct ScriptedReply {
  std::uint32_t code = 1;
  std::string body;
  // The size the header states, when it is to differ from the body's.
  std::optional<std::uint32_t> statedSize;
  // Close the connection after this many body bytes.
  std::optional<std::size_t> closeAfterBodyBytes;
  std::uint32_t delayMs = 0;
  // How many requests it answers; -1 for all.
  int uses = -1;
  // Carry the request out first (a server that acted, whose answer is lost).
  bool actFirst = false;
};

struct RecordedRequest {
  int connection = 0;  // counts from 1 in the order of acceptance
  std::string bytes;   // header and body
};

// The command of each connection, in the order they came (a list walk of
// the older command set is one command).
inline std::vector<std::uint32_t> CommandsOf(const std::vector<RecordedRequest>& requests) {
  std::vector<std::uint32_t> codes;
  int connection = 0;
  for (const RecordedRequest& request : requests) {
    if (request.connection == connection || request.bytes.size() < 4) continue;
    connection = request.connection;
    codes.push_back(static_cast<std::uint8_t>(request.bytes[0]) | static_cast<std::uint8_t>(request.bytes[1]) << 8);
  }
  return codes;
}

// What the server keeps; the handlers of both command sets work on it.
struct FakeSrvState {
  std::vector<SrvReserveData> reservations;
  std::vector<SrvTunerReserve> tuners;
  std::vector<SrvRecFileInfo> results;
  std::uint32_t nextReserveId = 1;
  // When not 0, reservation lists answer this many empty records (no field
  // past their size) in place of the reservations: a load for benches.
  std::uint32_t emptyRecords = 0;
};

// Where a list walk of the older command set stands on one connection.
struct LegacyWalk {
  std::vector<SrvReserveData> reservations;
  std::vector<SrvTunerReserve> tuners;
  std::size_t cursor = 0;
};

// The reply to one request from the state (the unscripted behaviour), in
// the newer command set and in the older one. An add of a row whose title
// contains `refusedTitle` (when not empty) is refused with an error code,
// and with it the whole list it came in.
CommandPacket AnswerCommand(FakeSrvState& state, const CommandPacket& request,
                            const std::wstring& refusedTitle);
CommandPacket AnswerLegacyCommand(FakeSrvState& state, LegacyWalk& walk, const CommandPacket& request,
                                  const std::wstring& refusedTitle);

class FakeEpgTimerSrv {
 public:
  // The pipe lives in EPGTIMER_PIPE_DIR (or /tmp) as the clients look for it.
  FakeEpgTimerSrv(std::string pipeName, std::string eventName);
  ~FakeEpgTimerSrv();
  FakeEpgTimerSrv(const FakeEpgTimerSrv&) = delete;
  FakeEpgTimerSrv& operator=(const FakeEpgTimerSrv&) = delete;

  // Keeps the reservations in `folder`/Reserve.txt as the real server does:
  // Start reads them back, every change rewrites the file whole. Call
  // before Start.
  void KeepReservationsIn(std::string folder);
  // False when the socket or the event cannot be made.
  bool Start();
  // Stops serving and removes the socket and the event name.
  void Stop();

  void Script(std::uint32_t command, ScriptedReply reply);
  // Holds every reply back this long (a server that is slow to answer).
  void DelayEveryReply(std::uint32_t ms) { replyDelayMs_ = ms; }
  // Plans the reservations on this many tuners, as a real server does,
  // marking each enabled one that finds every tuner taken at its start
  // (those before it in start order keep theirs) as unrecordable; 0, the
  // default, marks none.
  void PlanOnTuners(int tuners) { tuners_ = tuners; }
  // Refuses every add of a row whose title contains `text` (a list add
  // with such a row as a whole); empty refuses nothing.
  void RefuseTitle(std::wstring text);
  // Prints "request <connection> <command>" on stdout as each request comes.
  void PrintRequests(bool on) { printRequests_ = on; }
  std::vector<RecordedRequest> Requests() const;
  // The request bodies (without headers) of one command, in order.
  std::vector<std::string> BodiesOf(std::uint32_t command) const;

  // Direct access to what the server keeps.
  FakeSrvState State() const;
  void SetState(FakeSrvState state);

 private:
  void Serve(StopSignal& stop);
  void ServeConnection(int fd, int connection, StopSignal& stop);
  std::optional<ScriptedReply> TakeScript(std::uint32_t command);
  bool SendScripted(int fd, const ScriptedReply& reply, StopSignal& stop);
  void LoadReserveFile();
  void SaveReserveFileIfChanged();  // with mutex_ held

  std::string pipeName_;
  std::string eventName_;
  mutable std::mutex mutex_;
  FakeSrvState state_;
  std::string reserveFile_;  // empty: reservations in memory only
  std::string savedReserveText_;
  std::map<std::uint32_t, std::vector<ScriptedReply>> scripts_;
  std::vector<RecordedRequest> requests_;
  std::atomic<std::uint32_t> replyDelayMs_{0};
  std::atomic<int> tuners_{0};
  std::wstring refusedTitle_;
  std::atomic<bool> printRequests_{false};
  UniqueFd listener_;
  unsigned long socketInode_ = 0;  // of the socket file this server bound
  StoppableThread thread_;
};

}  // namespace plimod::test
