#include "recorder/lines/reserve_text.h"

#include <algorithm>

#include "platform/file.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/base/reserve_text_numbers.h"
#include "util/format.h"
#include "util/keys.h"
#include "util/split.h"

namespace plimod {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

std::size_t LineEndLength(const std::string& text, std::size_t pos) {
  if (pos >= text.size()) return 0;
  return text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
}


// The lines of a RecInfo.txt line: 16 fields at most, like its own reader.
void AppendRecInfoLine(std::string_view line, std::string& out) {
  std::string copy(line);
  char* fields[16];
  if (SplitInPlace(copy.data(), '\t', fields, 16) < 16) return;
  char converted[1024];
  FormatA(converted, sizeof converted,
          "%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t1\t0\t0\t0\t0\t0\t\t%s\t0\t0\t%s\n", fields[2],
          fields[3], fields[4], fields[1], fields[5], fields[6], fields[7], fields[8], fields[9],
          fields[15], fields[0]);
  out += converted;
}

}  // namespace

SystemTime ReserveTextLineStart(const ReserveTextLine& line) {
  SystemTime start;
  start.wYear = static_cast<std::uint16_t>(line.Number(0, 0));
  start.wMonth = static_cast<std::uint16_t>(line.Number(0, 5));
  start.wDay = static_cast<std::uint16_t>(line.Number(0, 8));
  start.wHour = static_cast<std::uint16_t>(line.Number(1, 0));
  start.wMinute = static_cast<std::uint16_t>(line.Number(1, 3));
  start.wSecond = static_cast<std::uint16_t>(line.Number(1, 6));
  if (const auto ticks = SystemTimeToTicks(start)) {
    if (const auto normalised = TicksToSystemTime(*ticks)) return *normalised;
  }
  return start;
}

int ReserveTextLine::Number(int n, std::size_t offset) const {
  return LeadingIntAt(Field(n), offset);
}

std::vector<ReserveTextLine> SplitReserveText(const std::string& text) {
  std::vector<ReserveTextLine> lines;
  // The lines are big: room for every LF-ended one, so they are never moved.
  lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && !IsLineEnd(text[end])) ++end;
    ReserveTextLine line;
    line.text = std::string_view(text).substr(pos, end - pos);
    line.end = std::string_view(text).substr(end, LineEndLength(text, end));
    const char* starts[kReserveTextMaxFields];
    int lengths[kReserveTextMaxFields];
    // The text's own NUL (or its line end) stops the split.
    line.fieldCount = SplitSpans(text.c_str() + pos, '\t', starts, lengths, kReserveTextMaxFields);
    for (int i = 0; i < line.fieldCount && i < kReserveTextMaxFields; ++i) {
      line.fields[i] = std::string_view(starts[i], static_cast<std::size_t>(lengths[i]));
    }
    lines.push_back(line);
    pos = end + line.end.size();
  }
  return lines;
}

std::uint64_t LineProgramKey(const ReserveTextLine& line) {
  // The ids are read as the recorder writes them; each is 16 bits wide.
  return ProgramKey(static_cast<std::uint16_t>(line.Number(8)),
                    ServiceKey(static_cast<std::uint16_t>(line.Number(5)),
                               static_cast<std::uint16_t>(line.Number(6)),
                               static_cast<std::uint16_t>(line.Number(7))));
}

int LineReserveId(const ReserveTextLine& line) { return line.Number(11); }

ReserveLine ParseReserveTextLine(const ReserveTextLine& line) {
  ReserveLine record;
  record.title = CutLineText(line.Field(3));
  record.station = CutLineText(line.Field(4));
  if (line.Field(14) != "0") record.batchPath = CutLineText(line.Field(14));
  record.comment = CutLineText(line.Field(16));
  record.recFolder = CutLineText(line.Field(17));
  record.start = ReserveTextLineStart(line);
  record.durationHours = line.Number(2, 0);
  record.durationMinutes = line.Number(2, 3);
  record.durationSeconds = line.Number(2, 6);
  record.priority = line.Number(9);
  record.follow = line.Number(10);
  record.recordMode = line.Number(12);
  record.pittari = line.Number(13);
  record.postAction = line.Number(18);
  record.resumeRestart = line.Number(19);
  record.marginEnable = line.Number(21);
  record.marginStart = line.Number(22);
  record.marginEnd = line.Number(23);
  record.serviceOptions = OptionsOfServiceBits(static_cast<std::uint32_t>(line.Number(24)));
  return record;
}

std::string ConvertRecInfoText(const std::string& recInfo) {
  std::string out;
  for (const ReserveTextLine& line : SplitReserveText(recInfo)) {
    if (line.fieldCount > 0) AppendRecInfoLine(line.text, out);
  }
  return out;
}

std::string LoadReserveText(const IniFile& settings, const std::wstring& programTxt) {
  std::string text;
  if (ReadFileToString(programTxt, text) && !text.empty()) return text;

  text.clear();
  std::string part;
  if (const auto recInfo = LocateRecorderFile(settings, L"RecInfo.txt")) {
    if (ReadFileToString(*recInfo, part)) text += ConvertRecInfoText(part);
  }
  if (const auto reserve = LocateRecorderFile(settings, L"Reserve.txt")) {
    if (ReadFileToString(*reserve, part)) text += part;
  }
  return text;
}

}  // namespace plimod
