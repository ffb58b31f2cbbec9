#include "recorder/srv/srv_connection.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "platform/named_event.h"
#include "platform/pipe_socket.h"
#include "platform/program_stop.h"

namespace plimod {

namespace {

void PutLe32(std::uint32_t value, std::uint8_t* out) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetLe32(const std::uint8_t* in) {
  return in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

// The connect event stays open between connections. Closing the last
// handle unmaps the semaphore, which interrupts every CPU, and a pass of
// thousands of commands paid that each time. Each connection still opens it
// by name, which costs no mapping while one is kept, so a server that made
// its event anew is followed. The kept handles are never destroyed, so a
// command still running at exit finds them.
NamedEvent OpenConnectEvent(std::string_view name) {
  struct Kept {
    std::mutex mutex;
    std::map<std::string, NamedEvent, std::less<>> events;
  };
  static Kept& kept = *new Kept;
  // Creating tries a new semaphore first, which maps and unmaps one.
  NamedEvent event = NamedEvent::OpenExisting(name);
  if (!event.valid()) event = NamedEvent::CreateOrOpen(name);
  if (!event.valid()) return event;
  std::lock_guard lock(kept.mutex);
  const auto found = kept.events.find(name);
  if (found == kept.events.end()) {
    kept.events.emplace(std::string(name), NamedEvent::OpenExisting(name));
  } else if (!found->second.SameAs(event)) {
    found->second = NamedEvent::OpenExisting(name);
  }
  return event;
}

}  // namespace

ServerConnect ConnectToServer(std::string_view eventName, std::string_view pipeName,
                              std::uint32_t timeoutMs, int openAttempts, UniqueFd& pipe) {
  if (ProgramStopRequested()) return ServerConnect::kTimedOut;
  {
    NamedEvent event = OpenConnectEvent(eventName);
    if (!event.valid()) return ServerConnect::kEventFailed;
    // A server that is there gets the whole wait for its signal; where
    // nothing listens nobody will ever set the event, so that fails at once.
    if (event.Wait(0) != NamedEvent::WaitResult::kSignalled) {
      if (!PipeSocketListening(pipeName)) return ServerConnect::kTimedOut;
      if (event.Wait(timeoutMs) != NamedEvent::WaitResult::kSignalled) return ServerConnect::kTimedOut;
    }
  }
  for (int attempt = 0; attempt < openAttempts; ++attempt) {
    if (ConnectPipeSocket(pipeName, pipe) == PipeConnect::kConnected) return ServerConnect::kConnected;
  }
  return ServerConnect::kPipeNotOpened;
}

bool WritePacket(int fd, const CommandPacket& packet, std::size_t pieceSize,
                 std::uint32_t ioTimeoutMs) {
  std::array<std::uint8_t, 8> header;
  PutLe32(packet.param, header.data());
  PutLe32(static_cast<std::uint32_t>(packet.data.size()), header.data() + 4);
  if (!SendAllWithin(fd, header.data(), header.size(), ioTimeoutMs)) return false;
  for (std::size_t sent = 0; sent < packet.data.size();) {
    const std::size_t piece = std::min(pieceSize, packet.data.size() - sent);
    if (!SendAllWithin(fd, packet.data.data() + sent, piece, ioTimeoutMs)) return false;
    sent += piece;
  }
  return true;
}

bool ReadPacket(int fd, CommandPacket& packet, std::size_t pieceSize, std::uint32_t ioTimeoutMs) {
  std::array<std::uint8_t, 8> header;
  if (!ReceiveExactWithin(fd, header.data(), header.size(), ioTimeoutMs)) return false;
  packet.param = GetLe32(header.data());
  const std::size_t size = GetLe32(header.data() + 4);
  packet.data.clear();
  if (size > kMaxPacketBytes) return false;
  // Grown piece by piece, so a size the peer does not back with bytes
  // costs no more memory than what arrived.
  while (packet.data.size() < size) {
    const std::size_t have = packet.data.size();
    const std::size_t piece = std::min(pieceSize, size - have);
    packet.data.resize(have + piece);
    if (!ReceiveExactWithin(fd, packet.data.data() + have, piece, ioTimeoutMs)) return false;
  }
  return true;
}

}  // namespace plimod
