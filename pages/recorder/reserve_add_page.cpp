#include "pages/recorder/reserve_add_page.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "epg/epg_busy_flag.h"
#include "epg/epg_index.h"
#include "pages/recorder/reserve_form.h"
#include "pages/recorder/reserve_request_line.h"
#include "recorder/base/page_turns.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/base/reserve_row.h"
#include "recorder/lines/read_reserve_line.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_patch.h"
#include "recorder/lists/reserve_list_server.h"
#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/changes/reservations.h"
#include "server/page_reply.h"
#include "services/syoboi_schedule.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr std::uint32_t kServerWaitMs = 15000;

// Left unterminated, as the result pages always were.
void WriteUnrecordableWarning(ReplyWriter& out, const RequestParameters& params, const ReserveLists& lists) {
  if (lists.unrecordableList.empty()) return;
  SendPageText(out,
               "<BR><font color=red>録画できない予約があります。EpgTimer_Bon予約一覧で確認してください。</font><BR>\n");
  if (params.Value("silent").empty()) SendPageText(out, "<A HREF='?cmd=epgtimer&nr=1'>予約一覧</A>");
}

// After a change the upload to the calendar service is due again, and the
// text-file recorder must read its files anew. False when the recorder
// could not be started (its failure text is the answer).
bool AfterRecorderChange(ReplyWriter& out, const IniFile& settings) {
  ArmSyoboiUploadTimer();
  return RestartEpgTimerBon(settings, &out, true);
}

// The reservation as the server holds it now, its verdict included.
std::optional<ReserveEntry> ServerEntry(std::int32_t reserveId) {
  ReserveRow row;
  if (SrvGetReservation(static_cast<std::uint32_t>(reserveId), row, kServerWaitMs) != 0) return std::nullopt;
  return ServerReserveEntry(row);
}

void ToggleReservation(ReplyWriter& out, const RequestParameters& params, const IniFile& settings,
                       const ReserveEntry& entry) {
  const std::uint64_t key = entry.ProgramKey();
  const bool srvMode = EpgTimerSrvMode();
  const std::optional<std::int32_t> reserveId = srvMode ? ServerReserveIdOf(key, entry.reserveId) : entry.reserveId;
  std::optional<ReserveLine> line;
  if (reserveId) line = ReadReserveLine(settings, key, *reserveId);
  if (line) line->recordMode = entry.recordMode == kRecordModeDisabled ? 0 : kRecordModeDisabled;
  if (!line || !ChangeReservation(*line, key, *reserveId)) {
    WriteReservePlainText(out, "予約情報更新失敗\n");
    return;
  }
  const std::int32_t mode = line->recordMode;
  // An enabled reservation may clash: the warning below needs the server's
  // verdict on it.
  const std::optional<ReserveEntry> changed = srvMode ? ServerEntry(*reserveId) : std::nullopt;
  const ReserveSnapshot lists = ApplyOwnReserveChange(
      settings, [key, id = *reserveId, mode, changed](ReserveLists& l) {
        if (changed) {
          PutReserveEntry(l, *changed);
        } else {
          SetReserveEntryMode(l, key, id, mode);
        }
      });
  if (!AfterRecorderChange(out, settings)) return;
  WriteReservePageHead(out);
  SendPageText(out, mode == kRecordModeDisabled ? "予約を無効にしました<BR>\n" : "予約を有効（全サービス）にしました<BR>\n");
  WriteUnrecordableWarning(out, params, *lists);
}

void WriteFormPage(ReplyWriter& out, RequestParameters& params, const IniSection& section,
                   const ReserveTarget& target) {
  WriteReservePageHead(out);
  WriteReserveEditForm(out, params, section);
  SendPageText(out, "<BR>\n");
  SendPageText(out, "局名：%s<BR>\n", PageText(target.station).c_str());
  WriteReserveEventTexts(out, target.event);
  SendPageText(out, "</BODY></HTML>\n");
}

// Server mode: deletes the listed reservation; true when it is gone.
bool DeleteListedReservation(const IniFile& settings, const ReserveEntry& entry) {
  const std::uint64_t key = entry.ProgramKey();
  const std::optional<std::int32_t> reserveId = ServerReserveIdOf(key, entry.reserveId);
  if (!reserveId || !DeleteReservation(key, *reserveId)) return false;
  ApplyOwnReserveChange(settings, [key, id = *reserveId](ReserveLists& lists) { RemoveReserveEntry(lists, key, id); });
  return true;
}

// A quick click on a reserved programme, looked up in the list as last
// loaded. True when it answered; false when the page goes on to add
// (nothing reserved, or a disabled server reservation, which is removed
// first).
bool AnswerExistingReservation(ReplyWriter& out, const IniFile& settings, const ReserveLists& lists,
                               const ReserveTarget& target, bool srvMode) {
  const ReserveEntry* entry = FindReserve(lists, target.serviceKey, target.event.eventId);
  if (!entry) return false;
  if (!srvMode) {
    WriteReservePlainText(out, "すでに予約されています \n");
    return true;
  }
  const bool deleted = DeleteListedReservation(settings, *entry);
  if (entry->Disabled()) return false;
  WriteReservePlainText(out, deleted ? "予約を削除しました \n" : "予約の削除に失敗しました \n");
  return true;
}

// The form page and the values a quick add takes from the programme; false
// when the form page was the answer. The guide has been let go: it is read
// under its lock.
bool TakeFormValues(ReplyWriter& out, RequestParameters& params, const IniSection& section,
                    const ReserveTarget& target, bool srvMode) {
  if (!params.Value("edc_title").empty()) return true;
  std::shared_lock lock(EpgDataLock());
  if (params.Value("q") != "1" && params.Value("silent").empty()) {
    WriteFormPage(out, params, section, target);
    return false;
  }
  PrefillReserveForm(params, section, target);
  params["edc_ext2"] = "def";
  if (srvMode) params["edc_recdir"] = "def";
  return true;
}

}  // namespace

int ServeReserveAddPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  const auto target = FindReserveTarget(params);
  if (!target) {
    WriteProgrammeNotFound(out);
    return 1;
  }
  IniSection section(settings);
  BindReserveSection(section, params);
  const bool srvMode = EpgTimerSrvMode();
  // The programme is copied: EPG loads need not wait for the recorder.
  LetGoOfEpgBusyFlag();

  const bool toggles = section.GetIntDefault(nullptr, L"USE_INVALID", 0) != 0;
  const bool quick = !params.Value("q").empty();
  // Looked up before the page's turn at the server: the first load since
  // start may be waited for.
  const ReserveSnapshot listed = toggles || quick ? ReserveListToChange(settings) : CurrentReserveLists();
  std::optional<PageServerTurn> turn;
  if (toggles) {
    if (const ReserveEntry* entry = FindReserve(*listed, target->serviceKey, target->event.eventId)) {
      turn.emplace();
      ToggleReservation(out, params, settings, *entry);
      return 1;
    }
  }
  if (!TakeFormValues(out, params, section, *target, srvMode)) return 1;
  turn.emplace();
  const auto line = ReserveLineFromForm(params, section, *target, srvMode);
  if (quick && AnswerExistingReservation(out, settings, *listed, *target, srvMode)) return 1;
  const AddOutcome added = line ? AddNewReservation(settings, *line) : AddOutcome::kFailed;
  if (added == AddOutcome::kAlreadyReserved) {
    WriteReservePlainText(out, "すでに予約されています \n");
    return 1;
  }
  if (added != AddOutcome::kAdded) {
    WriteReservePlainText(out, "Program.txtオープンエラー\n");
    return 1;
  }
  // The list shows the reservation as the server holds it, with its id (a
  // page may act on it before the next load) and its verdict (the warning).
  ReserveEntry entry = ReserveEntryOfLine(*line, target->ProgramKey(), kReserveIdNotKnown);
  if (srvMode) {
    if (const std::optional<ReserveRow> row = FindServerReservation(target->ProgramKey())) {
      entry = ServerReserveEntry(*row);
    }
  }
  const ReserveSnapshot lists =
      ApplyOwnReserveChange(settings, [entry](ReserveLists& l) { PutReserveEntry(l, entry); });
  if (!AfterRecorderChange(out, settings)) return 1;
  WriteReservePageHead(out);
  SendPageText(out, "登録しました<BR>\n");
  WriteUnrecordableWarning(out, params, *lists);
  return 1;
}

}  // namespace plimod
