#pragma once
// The texts of one event in one heap block of UTF-16: title, short text,
// extended text, video and audio texts, and the search forms of the first
// three. A search form equal to its text is not stored twice; a view of the
// text stands for it. An event without texts holds no block at all.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

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
  EventTexts(const EventTexts& other);
  EventTexts& operator=(const EventTexts& other);
  EventTexts(EventTexts&&) noexcept = default;
  EventTexts& operator=(EventTexts&&) noexcept = default;

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
  // The block: kEventTextCount end offsets (in char16_t), a flags word,
  // then the characters.
  struct Header {
    std::array<std::uint32_t, kEventTextCount> ends;
    std::uint32_t sameAsText;
  };
  EventTextParts Parts() const;
  const Header* header() const { return reinterpret_cast<const Header*>(block_.get()); }

  std::unique_ptr<std::uint32_t[]> block_;
};

}  // namespace plimod
