#pragma once
// The reservation server's records in memory. Their stream form (field
// order and widths) is in cmd_stream.h; a default-made record holds the
// values a new one starts with.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "recorder/base/reserved_program.h"

namespace plimod {

// One recording folder: the folder, then three parts the program passes
// on without interpreting them.
struct SrvRecFolder {
  std::array<std::wstring, 4> parts;
};

struct SrvRecSetting {
  std::uint8_t recordMode = 1;  // 5 = disabled
  std::uint8_t priority = 1;
  std::uint8_t follow = 1;
  std::uint32_t serviceFlags = 0;  // 0x01 own choice, 0x10 captions, 0x20 carousel
  std::uint8_t pittari = 0;
  std::wstring batchPath;
  std::vector<SrvRecFolder> folders;
  std::uint8_t postAction = 0;  // 0 and 4 exchanged against ReserveRow
  std::uint8_t resumeRestart = 0;
  std::uint8_t marginEnable = 0;
  std::uint32_t marginStart = 10;
  std::uint32_t marginEnd = 5;
  std::uint8_t optionA = 0;  // carried, not interpreted
  std::uint8_t optionB = 0;
  std::uint32_t optionWord = 0;
};

struct SrvReserveData : ReservedProgram {
  std::wstring comment;
  std::uint32_t reserveId = 0;
  std::uint8_t carriedByte = 0;
  std::uint8_t unrecordable = 0;
  std::wstring extraText;
  SystemTime programStart;
  SrvRecSetting setting;
  std::uint32_t trailingWord = 0;
};

// A recording result (received only); on the wire the result id and the
// file text come before the programme.
struct SrvRecFileInfo : ReservedProgram {
  std::uint32_t resultId = 0;
  std::wstring fileText;
  std::int64_t dropCount = 0;
  std::int64_t scrambleCount = 0;
  std::uint32_t status = 0;
  SystemTime programStart;
  std::wstring comment;
  std::wstring secondText;
  std::wstring thirdText;
};

// A tuner and the reservations it will record (received only).
struct SrvTunerReserve {
  std::uint32_t tunerId = 0;
  std::wstring tunerName;
  std::vector<std::uint32_t> reserveIds;
};

}  // namespace plimod
