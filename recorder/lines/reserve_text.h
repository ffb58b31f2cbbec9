#pragma once
// The text-file recorder's reservation texts (Program.txt, Reserve.txt and
// lines made from RecInfo.txt): code page 932, one reservation a line,
// fields separated by one TAB, empty fields kept. Lines end in CR LF, CR or
// LF (a NUL ends a line too). A line that begins with a control character
// is empty; a line is a reservation only with 17 fields or more, and
// readers look at the first 32.
//
// Fields: 0 date "YYYY/MM/DD", 1 time "hh:mm:ss", 2 duration "hh:mm:ss",
// 3 title, 4 station, 5-8 network, stream, service and event ids,
// 9 priority, 10 follow, 11 reserve id, 12 record mode, 13 pittari,
// 14 batch ("0": none), 15 unused, 16 comment or result, 17 recording
// folder, 18 post action, 19 resume-restart, 20 unused, 21 margin enable,
// 22/23 margins, 24 service bits. Fields past 16 are optional.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"
#include "recorder/lines/reserve_line.h"
#include "settings/ini_file.h"

namespace plimod {

inline constexpr int kReserveTextMaxFields = 32;
inline constexpr int kReserveTextMinFields = 17;

struct ReserveTextLine {
  std::string_view text;  // without its line end
  std::string_view end;   // the line end as it stands; empty for the last line without one
  int fieldCount = 0;     // every field, also those past 32; 0 for an empty line
  std::array<std::string_view, kReserveTextMaxFields> fields{};

  bool IsReservation() const { return fieldCount >= kReserveTextMinFields; }
  bool Has(int n) const { return n >= 0 && n < fieldCount && n < kReserveTextMaxFields; }
  std::string_view Field(int n) const { return Has(n) ? fields[n] : std::string_view(); }
  // LeadingInt of the field from character `offset` on; 0 when absent.
  int Number(int n, std::size_t offset = 0) const;
};

// The lines of a text, with views into it (keep the text alive).
std::vector<ReserveTextLine> SplitReserveText(const std::string& text);

// The ProgramKey of fields 5 to 8 and the reserve id of field 11.
std::uint64_t LineProgramKey(const ReserveTextLine& line);
int LineReserveId(const ReserveTextLine& line);
// The start of fields 0 and 1 with the day of the week filled in; a date the
// calendar does not know stays as it was read.
SystemTime ReserveTextLineStart(const ReserveTextLine& line);

// The record of a reservation line; the four ids stay 0 (callers hold the
// key). Optional fields that are absent stay 0 or empty.
ReserveLine ParseReserveTextLine(const ReserveTextLine& line);

// RecInfo.txt lines of 16 fields or more as reservation lines (LF ends).
std::string ConvertRecInfoText(const std::string& recInfo);

// Program.txt as it stands when it holds anything; otherwise the converted
// RecInfo.txt lines followed by Reserve.txt, both found beside the
// Program.txt that the settings name. Empty when nothing can be read.
std::string LoadReserveText(const IniFile& settings, const std::wstring& programTxt);

}  // namespace plimod
