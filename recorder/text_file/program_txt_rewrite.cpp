#include "recorder/text_file/program_txt_rewrite.h"

#include "platform/file.h"
#include "recorder/lists/reserve_list_keep.h"

namespace plimod {

RewriteResult RewriteProgramTxt(const std::wstring& path, const ProgramTxtLineEdit& edit) {
  std::string old;
  if (!ReadFileToString(path, old)) return RewriteResult::kUnreadable;

  std::string rewritten;
  rewritten.reserve(old.size() + 256);
  for (const ReserveTextLine& line : SplitReserveText(old)) {
    std::optional<std::string> replacement;
    if (line.IsReservation()) replacement = edit(line);
    if (!replacement) {
      rewritten.append(line.text).append(line.end);
    } else if (!replacement->empty()) {
      rewritten.append(*replacement).append(line.end);
    }
  }
  const bool written = ReplaceFileAtomically(path, rewritten);
  ReserveListChanged();
  return written ? RewriteResult::kDone : RewriteResult::kWriteFailed;
}

}  // namespace plimod
