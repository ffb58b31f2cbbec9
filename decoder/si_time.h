#pragma once
// Times in SI tables: 16-bit Modified Julian Date plus BCD hh:mm:ss, Japan
// time (UTC+9); durations as BCD hh:mm:ss.

#include <cstdint>
#include <ctime>

#include "decoder/epg_decoder_api.h"

namespace epgdec {

// Seconds since 1970-01-01 UTC of a 5-byte MJD+BCD Japan time; false when the
// field is undefined (all ones) or not valid BCD.
bool JapanTimeToUnix(const uint8_t* field, int64_t& unix_seconds);

class DayOffsets;

// The same instant as the host's local wall-clock time.
bool JapanTimeToLocal(const uint8_t* field, DecoderSystemTime& local);

// JapanTimeToLocal for a batch of times (a section's events): the zone
// setting is read once, when the converter is made. For one thread.
class LocalTimeConverter {
 public:
  LocalTimeConverter();
  bool Convert(const uint8_t* field, DecoderSystemTime& local) const;

 private:
  DayOffsets* offsets_;
};

// Seconds of a 3-byte BCD duration; 0 when undefined (all ones) or invalid.
uint32_t BcdDurationSeconds(const uint8_t* field);

}  // namespace epgdec
