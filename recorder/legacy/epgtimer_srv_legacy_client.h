#pragma once
// The older command set of the reservation server (plimod-b): no object
// and no lock (a background thread's command still lets a page's change go
// first: recorder/base/page_turns.h); the same pipe, event and 8-byte
// framing as the newer one, transfers in pieces of 10240 bytes. Lists are
// walked on one connection: a reply code of 2 means "an item, and another
// follows".
// Codes: 0 success, 1 error, 4 invalid argument, 5 pipe not opened,
// 7 time-out; others are the server's own.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "recorder/base/reserve_row.h"
#include "recorder/srv/srv_connection.h"

namespace plimod::EpgTimerSrvLegacyClient {

inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kError = 1;
inline constexpr std::uint32_t kNext = 2;
inline constexpr std::uint32_t kInvalidArgument = 4;
inline constexpr std::uint32_t kPipeNotOpened = 5;
inline constexpr std::uint32_t kTimeOut = 7;

// A walk that never ends (a server answering 2 for ever) stops here with 1.
inline constexpr std::size_t kMaxWalkItems = 100'000;

std::uint32_t AddReservation(const ReserveRow& row, std::uint32_t timeoutMs);
// The row is filled only when the code is 0 and the body holds a record.
std::uint32_t GetReservation(std::uint32_t reserveId, ReserveRow& row, std::uint32_t timeoutMs);
std::uint32_t DeleteReservations(const std::vector<ReserveRow>& rows, std::uint32_t timeoutMs);
std::uint32_t ChangeReservation(const ReserveRow& row, std::uint32_t timeoutMs);
// Appends in the server's order; rows read before a failure stay.
std::uint32_t EnumReservations(std::vector<ReserveRow>& rows, std::uint32_t timeoutMs);
std::uint32_t EnumTunerReservations(std::vector<TunerReserveRow>& tuners, std::uint32_t timeoutMs);

// One exchange on a connection of its own; waits up to `timeoutMs` for the
// server's connect event (7 when it does not come).
std::uint32_t SendByPipe(std::string_view eventName, std::string_view pipeName,
                         std::uint32_t timeoutMs, const CommandPacket& request,
                         CommandPacket& reply);
// The same, keeping the connection open for the walk's next exchanges;
// an invalid descriptor when any step failed (`code` then says which).
UniqueFd SendByPipeKeepOpen(std::string_view eventName, std::string_view pipeName,
                            std::uint32_t timeoutMs, const CommandPacket& request,
                            CommandPacket& reply, std::uint32_t& code);
std::uint32_t SendOnOpenPipe(int fd, const CommandPacket& request, CommandPacket& reply);

}  // namespace plimod::EpgTimerSrvLegacyClient
