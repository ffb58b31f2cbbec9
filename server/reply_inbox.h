#pragma once
// Replies the workers have written, waiting for the listening thread to
// send them. Workers put from their own threads; each put wakes the
// listener through its eventfd.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"

namespace plimod {

struct FinishedReply {
  std::uint64_t connection = 0;
  std::string reply;
};

class ReplyInbox {
 public:
  explicit ReplyInbox(std::shared_ptr<UniqueFd> wake) : wake_(std::move(wake)) {}
  void Put(std::uint64_t connection, std::string reply);
  std::vector<FinishedReply> TakeAll();

 private:
  std::shared_ptr<UniqueFd> wake_;
  std::mutex mutex_;
  std::vector<FinishedReply> replies_;
};

// Ends the listener's wait (an eventfd write).
void WakeListener(const UniqueFd& event);

}  // namespace plimod
