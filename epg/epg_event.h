#pragma once
// What the EPG store keeps of a service (channel) and of an event (programme).

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "epg/event_texts.h"
#include "platform/system_time.h"

namespace plimod {

struct EpgService {
  std::uint16_t originalNetworkId = 0;
  std::uint16_t transportStreamId = 0;
  std::uint16_t serviceId = 0;
  std::wstring name;
  std::uint16_t serviceType = 0;
};

// One genre value of the decoder as bytes (v >> 24, v >> 16, v >> 8, v); the
// first byte is the genre number that searches use.
using GenreBytes = std::array<std::uint8_t, 4>;

struct EpgEvent {
  std::uint16_t originalNetworkId = 0;
  std::uint16_t transportStreamId = 0;
  std::uint16_t serviceId = 0;
  std::uint16_t eventId = 0;
  SystemTime start;           // local time, day of week always correct
  std::uint32_t durationSeconds = 0;
  // Kept for the pages as the decoder gave them (see decoder/epg_decoder_api.h).
  std::uint8_t freeCaFlag = 0;
  std::array<std::uint8_t, 4> componentTypes{};
  std::vector<GenreBytes> genres;
  // Not set by the import; all start at 0.
  std::uint32_t displayFlags = 0;
  std::uint32_t columnSpan = 0;
  std::uint32_t conditionNumber = 0;  // first matching search condition
  std::uint32_t displayStartMinutes = 0;

  // The texts as wide text: title, 説明 (short text), 詳細 (extended text),
  // video and audio texts. The store keeps them compactly, so each call
  // builds a copy; loops over many events use Text() instead.
  std::wstring Title() const { return Wide(EventText::kTitle); }
  std::wstring ShortText() const { return Wide(EventText::kShortText); }
  std::wstring ExtendedText() const { return Wide(EventText::kExtendedText); }
  std::wstring VideoText() const { return Wide(EventText::kVideoText); }
  std::wstring AudioText() const { return Wide(EventText::kAudioText); }
  // Search forms (folded and escaped at import) that searches compare with;
  // position for position the same as their texts.
  std::wstring NormalizedTitle() const { return Wide(EventText::kNormalizedTitle); }
  std::wstring NormalizedShortText() const { return Wide(EventText::kNormalizedShortText); }
  std::wstring NormalizedExtendedText() const { return Wide(EventText::kNormalizedExtendedText); }
  void SetTitle(std::wstring text) { SetWide(EventText::kTitle, text); }
  void SetShortText(std::wstring text) { SetWide(EventText::kShortText, text); }
  void SetExtendedText(std::wstring text) { SetWide(EventText::kExtendedText, text); }
  void SetVideoText(std::wstring text) { SetWide(EventText::kVideoText, text); }
  void SetAudioText(std::wstring text) { SetWide(EventText::kAudioText, text); }
  void SetNormalizedTitle(std::wstring text) { SetWide(EventText::kNormalizedTitle, text); }
  void SetNormalizedShortText(std::wstring text) { SetWide(EventText::kNormalizedShortText, text); }
  void SetNormalizedExtendedText(std::wstring text) {
    SetWide(EventText::kNormalizedExtendedText, text);
  }

  // A text as stored (UTF-16), valid until the event's texts change.
  std::u16string_view Text(EventText which) const { return texts_.Get(which); }
  bool HasText(EventText which) const { return !texts_.Empty(which); }
  // Every text at once (the import).
  void SetTexts(const EventTextParts& parts) { texts_.Assign(parts); }
  // Heap bytes the texts take.
  std::size_t TextBytes() const { return texts_.BlockBytes(); }

 private:
  std::wstring Wide(EventText which) const;
  void SetWide(EventText which, std::wstring_view text);

  EventTexts texts_;
};

// Events of one service by event id.
using EpgEventList = std::map<std::uint16_t, EpgEvent>;
// Events of every service by service key (see util/keys.h).
using EpgEventMap = std::map<std::uint64_t, EpgEventList>;
// Services by service key.
using EpgServiceMap = std::map<std::uint64_t, EpgService>;

// Start and end as 100-ns ticks (platform/system_time.h); 0 for an invalid start.
std::int64_t EventStartTicks(const EpgEvent& event);
std::int64_t EventEndTicks(const EpgEvent& event);

}  // namespace plimod
