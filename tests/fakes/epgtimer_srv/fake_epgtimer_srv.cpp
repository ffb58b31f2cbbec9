#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "platform/file.h"
#include "platform/named_event.h"
#include "platform/pipe_socket.h"
#include "tests/fakes/epgtimer_srv/fake_srv_reserve_file.h"

namespace plimod::test {

namespace {

constexpr std::uint32_t kPollMs = 50;
constexpr std::uint32_t kIoTimeoutMs = 5'000;
constexpr std::size_t kPieceBytes = 0x100000;
constexpr std::uint32_t kNewerCommandsFrom = 1000;

std::string HeaderBytes(std::uint32_t param, std::uint32_t size) {
  std::string header(8, '\0');
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<char>(param >> (8 * i));
    header[4 + i] = static_cast<char>(size >> (8 * i));
  }
  return header;
}

constexpr std::uint8_t kDisabledMode = 5;

void MarkClashes(FakeSrvState& state, int tuners) {
  std::vector<SrvReserveData*> byStart;
  for (SrvReserveData& reserve : state.reservations) {
    reserve.unrecordable = 0;
    if (reserve.setting.recordMode != kDisabledMode) byStart.push_back(&reserve);
  }
  const auto ticks = [](const SrvReserveData* r) { return SystemTimeToTicks(r->start).value_or(0); };
  std::stable_sort(byStart.begin(), byStart.end(), [&](auto* a, auto* b) { return ticks(a) < ticks(b); });
  std::vector<std::int64_t> planEnds;  // of the reservations that got a tuner
  for (SrvReserveData* reserve : byStart) {
    const std::int64_t start = ticks(reserve);
    std::erase_if(planEnds, [start](std::int64_t end) { return end <= start; });
    if (static_cast<int>(planEnds.size()) >= tuners) {
      reserve->unrecordable = 1;
    } else {
      planEnds.push_back(start + std::int64_t{reserve->duration} * kTicksPerSecond);
    }
  }
}

}  // namespace

FakeEpgTimerSrv::FakeEpgTimerSrv(std::string pipeName, std::string eventName)
    : pipeName_(std::move(pipeName)), eventName_(std::move(eventName)) {}

FakeEpgTimerSrv::~FakeEpgTimerSrv() { Stop(); }

void FakeEpgTimerSrv::KeepReservationsIn(std::string folder) { reserveFile_ = folder + "/Reserve.txt"; }

bool FakeEpgTimerSrv::Start() {
  LoadReserveFile();
  NamedEvent::Remove(eventName_);  // a count left by an earlier run
  NamedEvent event = NamedEvent::CreateOrOpen(eventName_);
  listener_ = ListenPipeSocket(pipeName_);
  if (!event.valid() || !listener_) return false;
  struct stat bound {};
  if (::stat(PipeSocketPath(pipeName_).c_str(), &bound) == 0) socketInode_ = bound.st_ino;
  return thread_.Start([this](StopSignal& stop) { Serve(stop); });
}

void FakeEpgTimerSrv::Stop() {
  thread_.Stop();
  if (listener_) {
    listener_.reset();
    // A server started after this one in the same place (a demo restarted
    // at once) has bound its own socket there; that one stays.
    struct stat now {};
    const std::string path = PipeSocketPath(pipeName_);
    if (::stat(path.c_str(), &now) == 0 && now.st_ino == socketInode_) ::unlink(path.c_str());
    NamedEvent::Remove(eventName_);
  }
}

void FakeEpgTimerSrv::Script(std::uint32_t command, ScriptedReply reply) {
  std::lock_guard lock(mutex_);
  scripts_[command].push_back(std::move(reply));
}

void FakeEpgTimerSrv::RefuseTitle(std::wstring text) {
  std::lock_guard lock(mutex_);
  refusedTitle_ = std::move(text);
}

std::vector<RecordedRequest> FakeEpgTimerSrv::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<std::string> FakeEpgTimerSrv::BodiesOf(std::uint32_t command) const {
  std::vector<std::string> bodies;
  for (const RecordedRequest& request : Requests()) {
    if (request.bytes.size() >= 8 && request.bytes.substr(0, 4) == HeaderBytes(command, 0).substr(0, 4)) {
      bodies.push_back(request.bytes.substr(8));
    }
  }
  return bodies;
}

FakeSrvState FakeEpgTimerSrv::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void FakeEpgTimerSrv::SetState(FakeSrvState state) {
  std::lock_guard lock(mutex_);
  state_ = std::move(state);
  SaveReserveFileIfChanged();
}

void FakeEpgTimerSrv::Serve(StopSignal& stop) {
  NamedEvent event = NamedEvent::CreateOrOpen(eventName_);
  int connections = 0;
  while (!stop.StopRequested()) {
    event.Set();  // ready for the next client
    if (!WaitReadableWithin(listener_.get(), kPollMs)) continue;
    UniqueFd peer(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (peer) ServeConnection(peer.get(), ++connections, stop);
  }
}

// Serves requests until the client closes: one for the newer command set,
// a whole list walk for the older one.
void FakeEpgTimerSrv::ServeConnection(int fd, int connection, StopSignal& stop) {
  LegacyWalk walk;
  while (!stop.StopRequested()) {
    CommandPacket request;
    if (!ReadPacket(fd, request, kPieceBytes, kIoTimeoutMs)) return;
    std::optional<ScriptedReply> scripted;
    CommandPacket reply;
    {
      std::lock_guard lock(mutex_);
      std::string bytes = HeaderBytes(request.param, static_cast<std::uint32_t>(request.data.size()));
      bytes.append(request.data.begin(), request.data.end());
      requests_.push_back({connection, std::move(bytes)});
    }
    if (printRequests_) {
      std::printf("request %d %u\n", connection, request.param);
      std::fflush(stdout);
    }
    scripted = TakeScript(request.param);
    if (const std::uint32_t delay = replyDelayMs_; delay > 0 && stop.WaitForStop(delay)) return;
    if (!scripted || scripted->actFirst) {
      std::lock_guard lock(mutex_);
      reply = request.param >= kNewerCommandsFrom ? AnswerCommand(state_, request, refusedTitle_)
                                                  : AnswerLegacyCommand(state_, walk, request, refusedTitle_);
      if (tuners_ > 0) MarkClashes(state_, tuners_);
      SaveReserveFileIfChanged();
    }
    if (scripted) {
      if (!SendScripted(fd, *scripted, stop)) return;
      continue;
    }
    if (!WritePacket(fd, reply, kPieceBytes, kIoTimeoutMs)) return;
  }
}

void FakeEpgTimerSrv::LoadReserveFile() {
  if (reserveFile_.empty()) return;
  std::string text;
  if (!ReadFileToString(reserveFile_, text)) return;  // none yet
  std::lock_guard lock(mutex_);
  state_.reservations = ParseReserveFile(text);
  for (const SrvReserveData& reserve : state_.reservations) {
    state_.nextReserveId = std::max(state_.nextReserveId, reserve.reserveId + 1);
  }
  savedReserveText_ = FormatReserveFile(state_.reservations);
}

// Readers of the file see it before or after a change, never in between.
void FakeEpgTimerSrv::SaveReserveFileIfChanged() {
  if (reserveFile_.empty()) return;
  std::string text = FormatReserveFile(state_.reservations);
  if (text == savedReserveText_) return;
  if (!ReplaceFileAtomically(reserveFile_, text)) {
    std::fprintf(stderr, "fake_epgtimersrv: cannot write %s\n", reserveFile_.c_str());
    return;
  }
  savedReserveText_ = std::move(text);
}

std::optional<ScriptedReply> FakeEpgTimerSrv::TakeScript(std::uint32_t command) {
  std::lock_guard lock(mutex_);
  auto found = scripts_.find(command);
  if (found == scripts_.end() || found->second.empty()) return std::nullopt;
  ScriptedReply& next = found->second.front();
  ScriptedReply taken = next;
  if (next.uses > 0 && --next.uses == 0) found->second.erase(found->second.begin());
  return taken;
}

// False when the connection is to end here.
bool FakeEpgTimerSrv::SendScripted(int fd, const ScriptedReply& reply, StopSignal& stop) {
  if (reply.delayMs > 0 && stop.WaitForStop(reply.delayMs)) return false;
  const std::uint32_t size = reply.statedSize.value_or(static_cast<std::uint32_t>(reply.body.size()));
  const std::size_t bodyBytes = std::min(reply.body.size(), reply.closeAfterBodyBytes.value_or(reply.body.size()));
  const std::string bytes = HeaderBytes(reply.code, size) + reply.body.substr(0, bodyBytes);
  if (!SendAllWithin(fd, bytes.data(), bytes.size(), kIoTimeoutMs)) return false;
  return !reply.closeAfterBodyBytes && !reply.statedSize;
}

}  // namespace plimod::test
