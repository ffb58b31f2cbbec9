#include "server/reply_inbox.h"

#include <unistd.h>

namespace plimod {

void ReplyInbox::Put(std::uint64_t connection, std::string reply) {
  {
    std::lock_guard lock(mutex_);
    replies_.push_back({connection, std::move(reply)});
  }
  WakeListener(*wake_);
}

std::vector<FinishedReply> ReplyInbox::TakeAll() {
  std::vector<FinishedReply> taken;
  std::lock_guard lock(mutex_);
  taken.swap(replies_);
  return taken;
}

void WakeListener(const UniqueFd& event) {
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(event.get(), &one, sizeof one);
}

}  // namespace plimod
