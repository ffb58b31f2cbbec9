#pragma once
// One reservation as the pages show it, from either recorder. Texts are in
// code page 932 and cut on character boundaries to what the recorder's
// fixed fields hold.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system_time.h"
#include "recorder/lines/reserve_line.h"

namespace plimod {

inline constexpr std::size_t kEntryTitleMaxBytes = 255;
inline constexpr std::size_t kEntryStationMaxBytes = 31;
inline constexpr std::size_t kEntryCommentMaxBytes = 255;
inline constexpr std::size_t kTunerLabelMaxChars = 63;

inline constexpr std::int32_t kEntryRecordModeDisabled = 5;
inline constexpr std::int32_t kNoTunerKey = -1;

struct ReserveEntry {
  std::int32_t reserveId = 0;  // negative: a recording result of the server
  SystemTime start;            // local time, day of week filled in
  std::int32_t durationSeconds = 0;
  std::string title;
  std::string station;
  std::uint64_t serviceKey = 0;
  std::uint16_t eventId = 0;
  std::int32_t follow = 0;
  std::int32_t recordMode = 0;  // 5: disabled
  std::string comment;          // comment or recording result
  std::int32_t priority = 0;
  std::int32_t pittari = 0;
  std::int32_t batch = 0;  // 1: a batch file runs after recording
  // BonDriver index x 256 + tuner id (server mode), kNoTunerKey otherwise.
  std::int32_t tunerKey = kNoTunerKey;
  // What the server reported (1 or 2 for failed results); 0 in the
  // text-file mode, whose verdicts are in the unrecordable list.
  std::int32_t unrecordable = 0;
  std::wstring tunerLabel;  // server mode: "BonDriver_A(0)" or "BonDriver_B"

  bool Disabled() const { return recordMode == kEntryRecordModeDisabled; }
  std::uint64_t ProgramKey() const;
};

// The text cut to at most `maxBytes` without splitting a character.
std::string CutCp932(std::string text, std::size_t maxBytes);

// The id of a reservation this program has just made, until the next load
// brings the server's own (the server numbers from 1).
inline constexpr std::int32_t kReserveIdNotKnown = 0;

// The entry of a reservation line of the programme `programKey`; the batch
// flag is set for a batch path other than "0".
ReserveEntry ReserveEntryOfLine(const ReserveLine& line, std::uint64_t programKey, std::int32_t reserveId);

}  // namespace plimod
