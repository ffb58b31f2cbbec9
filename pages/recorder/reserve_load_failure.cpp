#include "pages/recorder/reserve_load_failure.h"

#include <optional>

#include "recorder/base/recorder_mode.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/lists/reserve_list_keep.h"
#include "server/page_reply.h"
#include "util/conversions.h"
#include "util/page_text.h"

namespace plimod {

std::string ReserveLoadFailureText(const IniFile& settings) {
  if (!ReserveListLoadFailedAt()) return {};
  if (EpgTimerSrvMode()) return "予約サーバから予約を取得できませんでした";
  // As the list's actions answer a Program.txt they cannot read.
  const std::optional<std::wstring> path = LocateProgramTxt(settings);
  return "Program.txtオープンエラー " +
         WideToUtf8(path.value_or(settings.GetString(L"EPGDATACAP", L"PROGRAMTXT").value_or(L"")));
}

void WriteReserveLoadFailure(ReplyWriter& out, const IniFile& settings) {
  const std::string text = ReserveLoadFailureText(settings);
  if (!text.empty()) SendPageText(out, "<font color=red>%s</font><BR>\n", PageText(text).c_str());
}

}  // namespace plimod
