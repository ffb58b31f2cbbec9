#pragma once
// The page-wide "mark" switch: 1 while the page being written should mark
// the words of the matching search condition (and carry the condition
// number in detail links). The request dispatcher sets it from the `mark`
// parameter for each programme-table request; the detail page sets it from
// `cn`; the highlighting reads it.

#include <atomic>

namespace plimod {

extern std::atomic<int> MarkSwitch;

}  // namespace plimod
