#pragma once
// What the EPG store keeps of a service (channel) and of an event (programme).

#include <array>
#include <cstdint>
#include <map>
#include <string>
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
