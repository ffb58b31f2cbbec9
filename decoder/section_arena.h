#pragma once
// Storage for the contents of the sections the database keeps: copied in as
// they arrive, one block after another, and released all at once. A load
// keeps tens of thousands of sections; freed one by one, scattered over the
// heap, they cost more per section the larger the load. A section replaced
// by a newer version leaves its old copy here until Clear.

#include <cstddef>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace epgdec {

class SectionArena {
 public:
  template <typename T>
  std::span<T> Copy(std::span<const T> items) {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);
    if (items.empty()) return {};
    T* copy = static_cast<T*>(Allocate(items.size_bytes(), alignof(T)));
    std::memcpy(copy, items.data(), items.size_bytes());
    return {copy, items.size()};
  }
  template <typename T>
  T* CopyOne(const T& item) {
    return Copy(std::span<const T>(&item, 1)).data();
  }
  std::u16string_view Copy(std::u16string_view text) {
    const std::span<char16_t> copy = Copy(std::span<const char16_t>(text.data(), text.size()));
    return {copy.data(), copy.size()};
  }

  // Releases every block; whatever was copied in is gone.
  void Clear();

 private:
  void* Allocate(size_t bytes, size_t align);

  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::byte* next_ = nullptr;
  size_t left_ = 0;
};

}  // namespace epgdec
