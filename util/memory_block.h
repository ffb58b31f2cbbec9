#pragma once
// Zero-filled memory blocks held in "slots" (a slot is empty or owns one).

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace plimod {

struct BlockDeleter {
  void operator()(char* p) const { std::free(p); }
};
using Block = std::unique_ptr<char[], BlockDeleter>;

// Fills an empty slot with a zero-filled block of `size` bytes. False when the
// slot was not empty; the slot stays empty when the allocation fails (then
// false too).
bool AllocBlock(Block& slot, std::size_t size);
// Releases the slot's block; false when it was empty.
bool FreeBlock(Block& slot);

}  // namespace plimod
