#include "pages/recorder/reserve_edit_save.h"

#include <optional>
#include <string>

#include "pages/recorder/reserve_edit_line.h"
#include "pages/recorder/reserve_form.h"
#include "pages/recorder/reserve_request_line.h"
#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/text_file/program_txt_rewrite.h"
#include "recorder/lines/read_reserve_line.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_patch.h"
#include "recorder/options/rec_options.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/changes/reservations.h"
#include "server/carry_over.h"
#include "server/page_reply.h"
#include "util/conversions.h"

namespace plimod {
namespace {

void RedirectToList(ReplyWriter& out, const RequestParameters& params) {
  SendPageText(out, "Location: /?cmd=epgtimer&%s\n", MakeCarryOverQuery(params).c_str());
  SendPageText(out, "\n");
}

void WriteProgramTxtError(ReplyWriter& out, const std::wstring& path) {
  WriteReservePlainText(out, "Program.txtオープンエラー\n");
  SendPageText(out, "%s\n", WideToUtf8(path).c_str());
}

bool LineIsNamed(const ReserveTextLine& line, const EdcidParts& id) {
  return LineProgramKey(line) == id.programKey && LineReserveId(line) == id.reserveId;
}

}  // namespace

std::optional<ReserveLine> FindNamedReserveLine(const IniFile& settings, const EdcidParts& id) {
  if (id.reserveId < 0) return std::nullopt;
  return ReadReserveLine(settings, id.programKey, id.reserveId);
}

bool DisableNamedReservation(const IniFile& settings, const EdcidParts& id) {
  if (!EpgTimerSrvMode()) return false;
  std::optional<ReserveLine> line = FindNamedReserveLine(settings, id);
  if (!line) return false;
  line->recordMode = kRecordModeDisabled;
  if (!ChangeReservation(*line, id.programKey, id.reserveId)) return false;
  ApplyOwnReserveChange(settings, [id](ReserveLists& lists) {
    SetReserveEntryMode(lists, id.programKey, id.reserveId, kRecordModeDisabled);
  });
  return true;
}

void SaveReservationOnServer(ReplyWriter& out, RequestParameters& params, IniFile& settings,
                             const EdcidParts& id) {
  IniSection lists(settings);
  lists.Select(kDefaultRecOptionSection, false);
  const auto line = ReserveLineFromForm(params, lists, DefaultPaths::kKeepRecorders, true);
  // A negative id is a recording result, which has nothing to change.
  if (!line || id.reserveId < 0 || !ChangeReservation(*line, id.programKey, id.reserveId)) {
    WriteReservePlainText(out, "登録エラー\n");
    return;
  }
  // The list the redirect leads to shows the change at once.
  ApplyOwnReserveChange(settings, [id, changed = *line](ReserveLists& lists) {
    ChangeReserveEntry(lists, id.programKey, id.reserveId, changed);
  });
  RedirectToList(out, params);
}

void SaveReservationInProgramTxt(ReplyWriter& out, const RequestParameters& params, IniFile& settings,
                                 const EdcidParts& id) {
  const std::optional<std::wstring> path = LocateProgramTxt(settings);
  if (!path) {
    WriteProgramTxtError(out, settings.GetString(L"EPGDATACAP", L"PROGRAMTXT").value_or(L""));
    return;
  }
  // A start the list could not read would make the reservation vanish.
  const std::optional<SystemTime> start = LateNightFormStart(params);
  if (!start) {
    WriteReservePlainText(out, "Program.txtオープンエラー\n");
    return;
  }
  if (!CloseEpgTimerBon(out)) return;
  IniSection lists(settings);
  lists.Select(kDefaultRecOptionSection, false);
  // Of two lines with one name only the first is the one the form showed.
  bool replaced = false;
  const RewriteResult result =
      RewriteProgramTxt(*path, [&](const ReserveTextLine& line) -> std::optional<std::string> {
        if (replaced || !LineIsNamed(line, id)) return std::nullopt;
        replaced = true;
        return EditedProgramTxtLine(line, params, *start, lists);
      });
  // Nothing has been written yet, so a failed start answers with its own
  // header.
  if (!RestartEpgTimerBon(settings, &out, true)) return;
  if (result == RewriteResult::kWriteFailed) {
    WriteProgramTxtError(out, *path);
    return;
  }
  RedirectToList(out, params);
}

}  // namespace plimod
