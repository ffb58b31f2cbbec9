#include "util/memory_block.h"

namespace plimod {

bool AllocBlock(Block& slot, std::size_t size) {
  if (slot) return false;
  // calloc(0) may give null; a zero-byte request still gets a block.
  slot.reset(static_cast<char*>(std::calloc(size == 0 ? 1 : size, 1)));
  return slot != nullptr;
}

bool FreeBlock(Block& slot) {
  if (!slot) return false;
  slot.reset();
  return true;
}

}  // namespace plimod
