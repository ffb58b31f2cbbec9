#include "decoder/eit_parser.h"

#include "decoder/arib_string.h"
#include "decoder/extended_text.h"
#include "decoder/si_time.h"

namespace epgdec {
namespace {

constexpr uint8_t kComponentDescriptor = 0x50;
constexpr uint8_t kShortEventDescriptor = 0x4D;
constexpr uint8_t kExtendedEventDescriptor = 0x4E;
constexpr uint8_t kContentDescriptor = 0x54;
constexpr uint8_t kAudioComponentDescriptor = 0xC4;
constexpr size_t kEventHeader = 12;

// Decodes a text onto the end of the section's buffer.
TextRange DecodeText(const uint8_t* data, size_t size, std::u16string& texts) {
  const size_t begin = texts.size();
  arib::DecodeAppend(data, size, texts);
  return {static_cast<uint32_t>(begin), static_cast<uint32_t>(texts.size() - begin)};
}

void ReadShortEvent(const uint8_t* d, size_t size, EventRecord& event, std::u16string& texts) {
  if (size < 4) return;
  size_t name_length = d[3];
  if (4 + name_length + 1 > size) return;
  size_t text_length = d[4 + name_length];
  if (5 + name_length + text_length > size) return;
  event.title = DecodeText(d + 4, name_length, texts);
  event.short_text = DecodeText(d + 5 + name_length, text_length, texts);
  event.has_short = true;
}

void ReadContent(const uint8_t* d, size_t size, EventRecord& event,
                 std::vector<uint32_t>& genres) {
  // A second content descriptor adds to the first: nothing else of the
  // section comes between them.
  if (!event.has_content) event.genres.begin = static_cast<uint32_t>(genres.size());
  event.has_content = true;
  for (size_t i = 0; i + 1 < size; i += 2) {
    uint32_t level1 = d[i] >> 4;
    uint32_t level2 = d[i] & 0x0F;
    uint32_t user1 = d[i + 1] >> 4;
    uint32_t user2 = d[i + 1] & 0x0F;
    genres.push_back((level1 << 24) | (level2 << 16) | (user1 << 8) | user2);
  }
  event.genres.length = static_cast<uint32_t>(genres.size() - event.genres.begin);
}

// The first video component of the event: stream content, type and its text.
void ReadVideoComponent(const uint8_t* d, size_t size, EventRecord& event,
                        std::u16string& texts) {
  if (size < 6 || event.component_types[0] != 0) return;
  event.has_components = true;
  event.component_types[0] = d[0] & 0x0F;
  event.component_types[1] = d[1];
  event.video_text = DecodeText(d + 6, size - 6, texts);
}

// The first audio component: its fixed part has a second language code when
// the multilingual flag is set.
void ReadAudioComponent(const uint8_t* d, size_t size, EventRecord& event,
                        std::u16string& texts) {
  if (size < 9 || event.component_types[2] != 0) return;
  size_t text_start = (d[5] & 0x80) ? 12 : 9;
  if (text_start > size) return;
  event.has_components = true;
  event.component_types[2] = d[0] & 0x0F;
  event.component_types[3] = d[1];
  event.audio_text = DecodeText(d + text_start, size - text_start, texts);
}

void ReadDescriptors(const uint8_t* p, size_t size, EventRecord& event,
                     ExtendedTextBuilder& extended, EitEvents& out) {
  std::u16string& texts = out.texts;
  extended.Clear();
  ForEachDescriptor(p, size, [&](uint8_t tag, const uint8_t* d, size_t length) {
    switch (tag) {
      case kShortEventDescriptor: ReadShortEvent(d, length, event, texts); break;
      case kExtendedEventDescriptor: extended.AddDescriptor(d, length); break;
      case kContentDescriptor: ReadContent(d, length, event, out.genres); break;
      case kComponentDescriptor: ReadVideoComponent(d, length, event, texts); break;
      case kAudioComponentDescriptor: ReadAudioComponent(d, length, event, texts); break;
      default: break;
    }
  });
  if (!extended.empty()) {
    const size_t begin = texts.size();
    extended.BuildAppend(texts);
    event.extended_text = {static_cast<uint32_t>(begin), static_cast<uint32_t>(texts.size() - begin)};
    event.has_extended = true;
  }
}

// The events the loop below will read, so the list grows once.
size_t CountEvents(const uint8_t* section, size_t end) {
  size_t count = 0;
  for (size_t pos = kEitFixedHeader; pos + kEventHeader <= end; ++count) {
    const uint8_t* e = section + pos;
    size_t loop_length = ((e[10] & 0x0Fu) << 8) | e[11];
    if (pos + kEventHeader + loop_length > end) break;
    pos += kEventHeader + loop_length;
  }
  return count;
}

}  // namespace

void ParseEitEvents(const uint8_t* section, size_t size, ExtendedTextBuilder& extended,
                    EitEvents& out) {
  out.Clear();
  if (size < kEitFixedHeader + kSectionCrcSize) return;
  const LocalTimeConverter local_times;
  size_t end = size - kSectionCrcSize;
  out.events.reserve(CountEvents(section, end));
  // Nearly every code gives one unit or less, so this is seldom outgrown.
  out.texts.reserve(size);
  size_t pos = kEitFixedHeader;
  while (pos + kEventHeader <= end) {
    const uint8_t* e = section + pos;
    size_t loop_length = ((e[10] & 0x0Fu) << 8) | e[11];
    if (pos + kEventHeader + loop_length > end) break;
    EventRecord& event = out.events.emplace_back();
    event.event_id = ReadU16(e);
    event.start_defined = local_times.Convert(e + 2, event.start);
    event.duration_seconds = BcdDurationSeconds(e + 7);
    event.free_ca = (e[10] >> 4) & 0x01;
    ReadDescriptors(e + kEventHeader, loop_length, event, extended, out);
    pos += kEventHeader + loop_length;
  }
}

}  // namespace epgdec
