#include "server/connection_activity.h"

#include <atomic>

namespace plimod {

namespace {
std::atomic<std::uint64_t> g_accepted{0};
}  // namespace

void NoteConnectionAccepted() { g_accepted.fetch_add(1, std::memory_order_relaxed); }

std::uint64_t ConnectionsAccepted() { return g_accepted.load(std::memory_order_relaxed); }

}  // namespace plimod
