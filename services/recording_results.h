#pragma once
// What the recording alert reads: the result comments the recorder writes
// into its reservation text, and the error-count files (".ts.err") it
// leaves beside recordings. Each check appends alert lines (code page 932,
// LF ends) to a text that the watcher mails.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace plimod {

inline constexpr int kReportedErrorFileSlots = 16;
inline constexpr int kDropAlertThreshold = 10;

struct RecordingResults {
  // ProgramKey -> the last abnormal result comment seen for it.
  std::map<std::uint64_t, std::string> comments;
  bool commentsLoaded = false;  // a reload has succeeded at least once
  // Error files already reported, by name only; the oldest is overwritten.
  std::array<std::wstring, kReportedErrorFileSlots> reportedErrorFiles;
  int nextErrorFileSlot = 0;
};

// Takes the comments of a reservation text: every reservation whose
// comment is set and is not a normal end ("録画終了...") is kept, and
// "title LF comment LF" is appended to `alert` when it is new or changed.
void TakeResultComments(RecordingResults& results, const std::string& reserveText, std::string& alert);

// Locates and reads the recorder's reservation text and takes its
// comments. When nothing can be read the old comments stay (false), so a
// file caught half-written does not make every comment new again.
bool ReloadReserveResults(const IniFile& settings, RecordingResults& results, std::string& alert);

// The highest drop count of an error-count file: lines end in CR (an LF
// after it is skipped) up to the first empty line; each holds its count
// as a number starting at byte 25. A shorter line counts 0.
int HighestDropCount(std::string_view fileText);

// Reads `folder`/`name` and, when it reports kDropAlertThreshold drops or
// more and is not among the reported files, appends "name LF Drop:n LF".
void CheckRecordingErrorFile(RecordingResults& results, const std::wstring& folder,
                             const std::wstring& name, std::string& alert);

// "To: EMAIL\nSubject: EDCB ALERT\n\nTEXT" in code page 932: the address
// cut to 1023 bytes, the whole message to 16383.
std::string EdcbAlertMail(const std::wstring& email, const std::string& alert);

}  // namespace plimod
