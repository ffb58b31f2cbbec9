#pragma once
// The byte-level rules of the log file: how an entry is made and how the
// file is cut back when it grows too long.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/system_time.h"

namespace plimod {

inline constexpr std::size_t kLogEntryMaxBytes = 1023;
inline constexpr std::size_t kLogTrimThreshold = 40960;
inline constexpr std::size_t kLogTrimKeepFrom = 20480;

// "YYYYMMDD hhmmss: " and the UTF-8 text, converted to code page 932. An
// entry longer than kLogEntryMaxBytes is cut on a character boundary; a cut
// entry keeps the text's final line end, so the next entry starts its own
// line.
std::string MakeLogEntry(const SystemTime& time, std::string_view utf8Text);

// The content a log file of `content` keeps after a trim: everything behind
// the first LF at or after `keepFrom`; with no such LF, the last `keepFrom`
// bytes, from a character boundary.
std::string TrimmedLogContent(std::string_view content,
                              std::size_t keepFrom = kLogTrimKeepFrom);

}  // namespace plimod
