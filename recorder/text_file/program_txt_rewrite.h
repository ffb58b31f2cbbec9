#pragma once
// Rewriting the text-file recorder's Program.txt line by line, as the
// reservation list and edit pages do. The new text goes to a temporary file
// in the same folder, is synced and renamed over the old file, so a failed
// write leaves the old file whole. Lines that are not reservations (fewer
// than 17 fields, empty lines) are carried over unchanged.

#include <functional>
#include <optional>
#include <string>

#include "recorder/lines/reserve_text.h"

namespace plimod {

// What becomes of one reservation line: nothing (kept as it is), an empty
// text (left out), or a replacement, written with the old line's end.
using ProgramTxtLineEdit = std::function<std::optional<std::string>(const ReserveTextLine& line)>;

enum class RewriteResult {
  kDone,
  kUnreadable,   // missing or unreadable: nothing changed
  kWriteFailed,  // the old file stays as it was
};

RewriteResult RewriteProgramTxt(const std::wstring& path, const ProgramTxtLineEdit& edit);

}  // namespace plimod
