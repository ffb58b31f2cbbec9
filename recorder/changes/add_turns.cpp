#include "recorder/changes/add_turns.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "recorder/base/reserve_row.h"

namespace plimod {

namespace {

// Past a command's time-outs in the clients.
constexpr auto kTurnWait = std::chrono::seconds(120);

struct Sent {
  std::uint64_t order = 0;
  std::uint64_t sender = 0;
};

struct TurnState {
  std::mutex mutex;
  std::condition_variable changed;
  int singleAdds = 0;                                // senders of one under way
  std::unordered_multiset<std::uint64_t> held;       // programmes in a command
  std::unordered_map<std::uint64_t, Sent> sent;      // programmes the server may hold since a sender began
  std::uint64_t sends = 0;
  std::uint64_t senders = 0;
  int active = 0;
};

// Never destroyed: a sender that overran the program's stop may still ask.
TurnState& State() {
  static TurnState& state = *new TurnState;
  return state;
}

bool NoneHeld(const TurnState& state, const std::vector<std::uint64_t>& programmes) {
  for (std::uint64_t programme : programmes) {
    if (state.held.contains(programme)) return false;
  }
  return true;
}

void Release(TurnState& state, const std::vector<std::uint64_t>& programmes) {
  for (std::uint64_t programme : programmes) {
    if (auto found = state.held.find(programme); found != state.held.end()) state.held.erase(found);
  }
}

}  // namespace

AddSender::AddSender(AddKind kind, std::vector<std::uint64_t> programmes) : kind_(kind) {
  TurnState& state = State();
  std::unique_lock lock(state.mutex);
  id_ = ++state.senders;
  ++state.active;
  if (kind_ == AddKind::kOne) {
    ++state.singleAdds;
    state.changed.wait_for(lock, kTurnWait, [&] { return NoneHeld(state, programmes); });
    state.held.insert(programmes.begin(), programmes.end());
    held_ = std::move(programmes);
  }
  mark_ = state.sends;
}

AddSender::~AddSender() {
  TurnState& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (kind_ == AddKind::kOne) {
      Release(state, held_);
      --state.singleAdds;
    }
    // What a sender learns is what was sent while it ran.
    if (--state.active == 0) state.sent.clear();
  }
  state.changed.notify_all();
}

std::vector<bool> AddSender::Take(const std::vector<std::uint64_t>& programmes) {
  std::vector<bool> go(programmes.size(), true);
  if (kind_ == AddKind::kOne) return go;  // held since it began
  TurnState& state = State();
  std::unique_lock lock(state.mutex);
  state.changed.wait_for(lock, kTurnWait,
                         [&] { return state.singleAdds == 0 && NoneHeld(state, programmes); });
  for (std::size_t i = 0; i < programmes.size(); ++i) {
    const auto sent = state.sent.find(programmes[i]);
    if (sent != state.sent.end() && sent->second.order > mark_ && sent->second.sender != id_) {
      go[i] = false;
    } else {
      state.held.insert(programmes[i]);
    }
  }
  return go;
}

// A failure other than an unreachable server may have added all the same
// (an answer cut short).
void AddSender::Done(const std::vector<std::uint64_t>& programmes, int result) {
  TurnState& state = State();
  {
    std::lock_guard lock(state.mutex);
    if (kind_ == AddKind::kSeveral) Release(state, programmes);
    if (!SrvUnreachable(result)) {
      for (std::uint64_t programme : programmes) state.sent[programme] = {++state.sends, id_};
    }
  }
  state.changed.notify_all();
}

}  // namespace plimod
