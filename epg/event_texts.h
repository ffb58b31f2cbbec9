#pragma once
// The texts of one event in one heap block of UTF-16: title, short text,
// extended text, video and audio texts, and the search forms of the first
// three. A search form equal to its text is not stored twice; a view of the
// text stands for it. An event without texts holds no block at all.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

namespace plimod {

enum class EventText : std::uint8_t {
  kTitle,
  kShortText,
  kExtendedText,
  kVideoText,
  kAudioText,
  kNormalizedTitle,
  kNormalizedShortText,
  kNormalizedExtendedText,
};
inline constexpr std::size_t kEventTextCount = 8;
inline constexpr std::size_t kSearchFormCount = 3;

// The texts in the order of EventText. A search form may be nullopt to mean
// "the same as its text" (EventTexts::kSame).
struct EventTextParts {
  std::array<std::u16string_view, kEventTextCount> texts{};
  // Bit i set: the search form of text i (title, short, extended) is its text.
  std::uint8_t sameAsText = 0;
};

class EventTexts {
 public:
  EventTexts() = default;
  explicit EventTexts(const EventTextParts& parts) { Assign(parts); }
  // A copy shares the block: blocks never change once written (every
  // change makes a new one), so copies of events (the pages' cells) cost
  // no text copy and still change apart.
  EventTexts(const EventTexts& other) noexcept;
  EventTexts& operator=(const EventTexts& other) noexcept;
  EventTexts(EventTexts&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  EventTexts& operator=(EventTexts&& other) noexcept;
  ~EventTexts() { Release(); }

  // A search form equal to its text comes back as a view of the text.
  std::u16string_view Get(EventText which) const;
  bool Empty(EventText which) const { return Get(which).empty(); }
  // Replaces one text; the other texts (and search forms) stay as they were.
  void Set(EventText which, std::u16string_view text);
  // Replaces all texts at once (one allocation).
  void Assign(const EventTextParts& parts);
  // Bytes of the heap block (0 without one).
  std::size_t BlockBytes() const;

 private:
  // The block: the count of its holders, kEventTextCount end offsets (in
  // char16_t), a flags word, then the characters.
  struct Header {
    std::atomic<std::uint32_t> holders;
    std::array<std::uint32_t, kEventTextCount> ends;
    std::uint32_t sameAsText;
  };
  EventTextParts Parts() const;
  const Header* header() const { return block_; }
  void Release() noexcept;

  Header* block_ = nullptr;
};

}  // namespace plimod
