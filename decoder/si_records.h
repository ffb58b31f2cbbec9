#pragma once
// What the decoder keeps of SDT and EIT sections, texts already decoded.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decoder/epg_decoder_api.h"

namespace epgdec {

struct ServiceRecord {
  uint16_t service_id = 0;
  uint8_t service_type = 0;
  std::u16string name;
};

// A text or the genres of an event record: a range of its section's buffer.
struct TextRange {
  uint32_t begin = 0;
  uint32_t length = 0;
};

// Where a stored section's texts and genres lie; its event records' ranges
// index them.
struct SectionContents {
  std::u16string_view texts;
  std::span<const uint32_t> genres;
};

struct EventRecord {
  uint16_t event_id = 0;
  bool start_defined = false;
  DecoderSystemTime start{};
  uint32_t duration_seconds = 0;
  uint8_t free_ca = 0;
  bool has_short = false;       // a short event descriptor was present
  bool has_extended = false;    // extended event descriptors were present
  bool has_content = false;     // a content descriptor was present
  bool has_components = false;  // a video or audio component descriptor was present
  TextRange title;
  TextRange short_text;
  TextRange extended_text;
  TextRange genres;
  TextRange video_text;
  TextRange audio_text;
  uint8_t component_types[4] = {0, 0, 0, 0};
  const SectionContents* section = nullptr;  // set once the section is stored

  std::u16string_view Text(TextRange range) const;
  std::span<const uint32_t> Genres() const;
};

// The events of one EIT section as parsed. Their texts and genres live in
// one buffer each, so a section is a few allocations, not several per event.
struct EitEvents {
  std::vector<EventRecord> events;
  std::u16string texts;
  std::vector<uint32_t> genres;

  void Clear() {
    events.clear();
    texts.clear();
    genres.clear();
  }
};

inline std::u16string_view EventRecord::Text(TextRange range) const {
  return section == nullptr ? std::u16string_view()
                            : section->texts.substr(range.begin, range.length);
}

inline std::span<const uint32_t> EventRecord::Genres() const {
  return section == nullptr
             ? std::span<const uint32_t>()
             : section->genres.subspan(genres.begin, genres.length);
}

// The long-form header fields of a section (the bytes after section_length).
struct SectionHeader {
  uint8_t table_id = 0;
  uint16_t extension = 0;  // service id in an EIT, transport stream id in an SDT
  uint8_t version = 0;
  bool current = false;
  uint8_t section_number = 0;
};

SectionHeader ReadSectionHeader(const uint8_t* section);

inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// The CRC_32 that ends every long-form section.
inline constexpr size_t kSectionCrcSize = 4;

// Calls visit(tag, data, length) for each descriptor of a loop of `size`
// bytes; stops at the first one that runs past the loop's end.
template <typename Visit>
void ForEachDescriptor(const uint8_t* p, size_t size, const Visit& visit) {
  size_t pos = 0;
  while (pos + 2 <= size) {
    const uint8_t tag = p[pos];
    const size_t length = p[pos + 1];
    if (pos + 2 + length > size) break;
    visit(tag, p + pos + 2, length);
    pos += 2 + length;
  }
}

}  // namespace epgdec
