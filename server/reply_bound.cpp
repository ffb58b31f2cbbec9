#include "server/reply_bound.h"

#include <algorithm>

namespace plimod {

std::vector<std::uint64_t> StalledRepliesToDrop(std::vector<WaitingReply> replies, std::size_t total,
                                                std::size_t limit, SteadyTime now) {
  std::erase_if(replies, [now](const WaitingReply& r) { return now - r.last_progress < kStalledAfter; });
  std::stable_sort(replies.begin(), replies.end(),
            [](const WaitingReply& a, const WaitingReply& b) { return a.last_progress < b.last_progress; });
  std::vector<std::uint64_t> dropped;
  for (const WaitingReply& r : replies) {
    if (total < limit) break;
    dropped.push_back(r.connection);
    total -= std::min(total, r.bytes);
  }
  return dropped;
}

SteadyTime NextStallMark(const std::vector<WaitingReply>& replies) {
  SteadyTime mark = SteadyTime::max();
  for (const WaitingReply& r : replies) mark = std::min(mark, r.last_progress + kStalledAfter);
  return mark;
}

}  // namespace plimod
