#pragma once
// One reservation of the text-file recorder in parsed form: what the
// reservation pages and the automatic reservation fill in, and what adding
// and changing a reservation take.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/system_time.h"

namespace plimod {

// Texts are code page 932 and hold at most this many bytes (the recorder's
// fields are 256-byte buffers); CutLineText makes them fit.
inline constexpr std::size_t kReserveLineTextMax = 255;

// "def" in the batch path or the recording folder: keep the recorder's value.
inline constexpr std::string_view kKeepRecorderValue = "def";

struct ReserveLine {
  std::int32_t networkId = 0;
  std::int32_t transportStreamId = 0;
  std::int32_t serviceId = 0;
  std::int32_t eventId = 0;
  std::string title;
  std::string station;
  std::string batchPath;  // empty: none
  std::string comment;
  std::string recFolder;
  SystemTime start;  // local time
  std::int32_t durationHours = 0;
  std::int32_t durationMinutes = 0;
  std::int32_t durationSeconds = 0;
  std::int32_t priority = 0;
  std::int32_t follow = 0;
  std::int32_t recordMode = 0;  // 5: disabled
  std::int32_t pittari = 0;
  std::int32_t postAction = 0;  // passed on as 16 bits
  std::int32_t resumeRestart = 0;
  std::int32_t marginEnable = 0;
  std::int32_t marginStart = 0;  // seconds
  std::int32_t marginEnd = 0;    // seconds
  std::int32_t serviceOptions = 0;  // 1 own service choice, 2 captions, 4 data carousel
};

inline constexpr std::int32_t kRecordModeDisabled = 5;

// The text cut to kReserveLineTextMax bytes without splitting a character.
std::string CutLineText(std::string_view cp932);

// Service options (1, 2, 4) to the bits the files and the reservation
// server use (0x01, 0x10, 0x20), and back; other bits are dropped.
std::uint32_t ServiceBitsOfOptions(std::int32_t options);
std::int32_t OptionsOfServiceBits(std::uint32_t bits);

// The duration in seconds.
std::int64_t DurationSecondsOf(const ReserveLine& line);

}  // namespace plimod
