#include "decoder/section_arena.h"

#include <cstdint>

namespace epgdec {
namespace {

// A section's contents take a few KiB at most, so a block holds dozens.
constexpr size_t kBlockSize = 256 * 1024;

}  // namespace

void* SectionArena::Allocate(size_t bytes, size_t align) {
  if (bytes > kBlockSize / 4) {
    // A block of its own (nothing the decoder keeps comes near; new[]
    // aligns for any fundamental type), so the current block is not wasted.
    blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(bytes));
    return blocks_.back().get();
  }
  size_t padding = (align - reinterpret_cast<uintptr_t>(next_) % align) % align;
  if (next_ == nullptr || padding + bytes > left_) {
    blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(kBlockSize));
    next_ = blocks_.back().get();
    left_ = kBlockSize;
    padding = 0;
  }
  std::byte* out = next_ + padding;
  next_ = out + bytes;
  left_ -= padding + bytes;
  return out;
}

void SectionArena::Clear() {
  blocks_.clear();
  blocks_.shrink_to_fit();
  next_ = nullptr;
  left_ = 0;
}

}  // namespace epgdec
