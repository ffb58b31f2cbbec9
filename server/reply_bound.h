#pragma once
// Which waiting worker replies give way when together they reach their
// memory bound. Only a reply whose client has taken nothing for
// kStalledAfter is dropped, the longest stalled first: a client that reads
// is never cut to make room, so a page may have to wait for room instead.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plimod {

using SteadyTime = std::chrono::steady_clock::time_point;

inline constexpr std::chrono::milliseconds kStalledAfter{2000};

struct WaitingReply {
  std::uint64_t connection = 0;
  std::size_t bytes = 0;
  SteadyTime last_progress;
};

// The stalled replies to drop, longest stalled first, until `total` (the
// bytes of all waiting replies) falls below `limit`; every stalled one when
// that is not enough.
[[nodiscard]] std::vector<std::uint64_t> StalledRepliesToDrop(std::vector<WaitingReply> replies, std::size_t total,
                                                              std::size_t limit, SteadyTime now);

// When the first of `replies` would count as stalled; max when there is none.
[[nodiscard]] SteadyTime NextStallMark(const std::vector<WaitingReply>& replies);

}  // namespace plimod
