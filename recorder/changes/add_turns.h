#pragma once
// The turns of the reservation adds this process sends to the server, per
// command rather than per sender:
// - each add command holds the programmes it carries, so adds of one
//   programme never overlap;
// - an add of one programme (a page's) holds it from its look at the
//   server's list to its answer, and goes before the next command of an
//   add of several (the automatic reservation's pass), which waits between
//   its commands while such adds are under way;
// - a sender of several looked at the server's list once, so it learns of
//   the programmes others sent since and leaves them out.
// Every wait is bounded: a turn that does not come is taken anyway.

#include <cstdint>
#include <vector>

namespace plimod {

enum class AddKind { kOne, kSeveral };

class AddSender {
 public:
  // A sender of one holds its programmes from here on.
  AddSender(AddKind kind, std::vector<std::uint64_t> programmes);
  ~AddSender();
  AddSender(const AddSender&) = delete;
  AddSender& operator=(const AddSender&) = delete;

  // Before a command carrying `programmes` (none for a look at the list):
  // waits for the turn and tells, per programme, whether it is still to go
  // (false: another sender sent it since this one began).
  [[nodiscard]] std::vector<bool> Take(const std::vector<std::uint64_t>& programmes);
  // After that command, with the programmes that went and its result.
  void Done(const std::vector<std::uint64_t>& programmes, int result);

 private:
  AddKind kind_;
  std::vector<std::uint64_t> held_;  // a sender of one's programmes
  std::uint64_t id_ = 0;
  std::uint64_t mark_ = 0;  // the sends recorded before this sender began
};

}  // namespace plimod
