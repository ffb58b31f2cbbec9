#pragma once
// What the EPG store keeps of a service (channel) and of an event (programme).

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

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
  std::wstring title;
  std::wstring shortText;     // 説明
  std::wstring extendedText;  // 詳細
  SystemTime start;           // local time, day of week always correct
  std::uint32_t durationSeconds = 0;
  // Kept for the pages as the decoder gave them (see decoder/epg_decoder_api.h).
  std::uint8_t freeCaFlag = 0;
  std::wstring videoText;
  std::array<std::uint8_t, 4> componentTypes{};
  std::wstring audioText;
  std::vector<GenreBytes> genres;
  // Not set by the import; all start at 0.
  std::uint32_t displayFlags = 0;
  std::uint32_t columnSpan = 0;
  std::uint32_t conditionNumber = 0;  // first matching search condition
  std::uint32_t displayStartMinutes = 0;
  // Built at import so that searches compare ready-made texts.
  std::wstring normalizedTitle;
  std::wstring normalizedShortText;
  std::wstring normalizedExtendedText;

  // Code outside the store reads and sets texts through these, so the store
  // is free to keep them in a compact form.
  std::wstring Title() const { return title; }
  std::wstring ShortText() const { return shortText; }
  std::wstring ExtendedText() const { return extendedText; }
  std::wstring VideoText() const { return videoText; }
  std::wstring AudioText() const { return audioText; }
  std::wstring NormalizedTitle() const { return normalizedTitle; }
  std::wstring NormalizedShortText() const { return normalizedShortText; }
  std::wstring NormalizedExtendedText() const { return normalizedExtendedText; }
  void SetTitle(std::wstring text) { title = std::move(text); }
  void SetShortText(std::wstring text) { shortText = std::move(text); }
  void SetExtendedText(std::wstring text) { extendedText = std::move(text); }
  void SetVideoText(std::wstring text) { videoText = std::move(text); }
  void SetAudioText(std::wstring text) { audioText = std::move(text); }
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
