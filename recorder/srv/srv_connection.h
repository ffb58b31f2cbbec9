#pragma once
// What both reservation-server clients share: the 8-byte framing of a
// command or reply packet (param, body size, little-endian, then the body)
// and the way to a connection (wait for the server's connect event, then
// open its pipe). Nothing read from the pipe is trusted: a reply body grows
// as its bytes arrive and is refused beyond kMaxPacketBytes.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/file.h"

namespace plimod {

// A request (param = command code) or a reply (param = result code).
struct CommandPacket {
  std::uint32_t param = 0;
  std::vector<std::uint8_t> data;
};

inline constexpr std::uint32_t kSrvIoTimeoutMs = 30'000;
inline constexpr std::size_t kMaxPacketBytes = 64u << 20;

enum class ServerConnect { kConnected, kEventFailed, kTimedOut, kPipeNotOpened };

// Waits up to `timeoutMs` for the connect event (created unset when the
// server has not made it), then opens the pipe, trying `openAttempts` times.
// kTimedOut at once when the event is unset and nothing listens at the pipe,
// or once the program stops.
ServerConnect ConnectToServer(std::string_view eventName, std::string_view pipeName,
                              std::uint32_t timeoutMs, int openAttempts, UniqueFd& pipe);

// Header and body, the body in pieces of at most `pieceSize` bytes, each
// transfer bounded by `ioTimeoutMs`.
[[nodiscard]] bool WritePacket(int fd, const CommandPacket& packet, std::size_t pieceSize,
                               std::uint32_t ioTimeoutMs);
// False on a short read, expiry or a body larger than kMaxPacketBytes.
[[nodiscard]] bool ReadPacket(int fd, CommandPacket& packet, std::size_t pieceSize,
                              std::uint32_t ioTimeoutMs);

}  // namespace plimod
