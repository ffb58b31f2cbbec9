#include "pages/recorder/reserve_add_page.h"

#include <string>

#include "pages/recorder/reserve_form.h"
#include "pages/recorder/reserve_request_line.h"
#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/lines/read_reserve_line.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/text_file/reservations.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_load.h"
#include "server/page_reply.h"
#include "services/syoboi_schedule.h"
#include "util/page_text.h"

namespace plimod {

namespace {

// Left unterminated, as the result pages always were.
void WriteUnrecordableWarning(ReplyWriter& out, const RequestParameters& params, const IniFile& settings) {
  if (ReserveListToShow(settings)->unrecordableList.empty()) return;
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

void ToggleReservation(ReplyWriter& out, const RequestParameters& params, const IniFile& settings,
                       const ReserveTarget& target, const ReserveEntry& entry) {
  auto line = ReadReserveLine(settings, target.ProgramKey(), entry.reserveId);
  if (line) line->recordMode = entry.recordMode == kRecordModeDisabled ? 0 : kRecordModeDisabled;
  if (!line || !ChangeReservation(*line, target.ProgramKey(), entry.reserveId)) {
    WriteReservePlainText(out, "予約情報更新失敗\n");
    return;
  }
  if (!AfterRecorderChange(out, settings)) return;
  WriteReservePageHead(out);
  SendPageText(out, line->recordMode == kRecordModeDisabled ? "予約を無効にしました<BR>\n"
                                                             : "予約を有効（全サービス）にしました<BR>\n");
  WriteUnrecordableWarning(out, params, settings);
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

// A quick click on a reserved programme. True when it answered; false when
// the page goes on to add (nothing reserved, or a disabled server
// reservation, which is removed first).
bool AnswerExistingReservation(ReplyWriter& out, const IniFile& settings, const ReserveTarget& target,
                               bool srvMode) {
  const ReserveSnapshot lists = LoadReserveList(settings);
  const ReserveEntry* entry = FindReserve(*lists, target.serviceKey, target.event.eventId);
  if (!entry) return false;
  if (srvMode && entry->Disabled()) {
    DeleteReservation(entry->ProgramKey(), entry->reserveId);
    return false;
  }
  if (!srvMode) {
    WriteReservePlainText(out, "すでに予約されています \n");
  } else if (DeleteReservation(entry->ProgramKey(), entry->reserveId)) {
    WriteReservePlainText(out, "予約を削除しました \n");
  } else {
    WriteReservePlainText(out, "予約の削除に失敗しました \n");
  }
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

  if (section.GetIntDefault(nullptr, L"USE_INVALID", 0) != 0) {
    const ReserveSnapshot lists = LoadReserveList(settings);
    if (const ReserveEntry* entry = FindReserve(*lists, target->serviceKey, target->event.eventId)) {
      ToggleReservation(out, params, settings, *target, *entry);
      return 1;
    }
  }
  if (params.Value("edc_title").empty()) {
    if (params.Value("q") != "1" && params.Value("silent").empty()) {
      WriteFormPage(out, params, section, *target);
      return 1;
    }
    PrefillReserveForm(params, section, *target);
    params["edc_ext2"] = "def";
    if (srvMode) params["edc_recdir"] = "def";
  }
  const auto line = ReserveLineFromForm(params, section, *target, srvMode);
  if (!params.Value("q").empty() && AnswerExistingReservation(out, settings, *target, srvMode)) return 1;
  const AddOutcome added = line ? AddNewReservation(settings, *line) : AddOutcome::kFailed;
  if (added == AddOutcome::kAlreadyReserved) {
    WriteReservePlainText(out, "すでに予約されています \n");
    return 1;
  }
  if (added != AddOutcome::kAdded) {
    WriteReservePlainText(out, "Program.txtオープンエラー\n");
    return 1;
  }
  if (!AfterRecorderChange(out, settings)) return 1;
  WriteReservePageHead(out);
  SendPageText(out, "登録しました<BR>\n");
  WriteUnrecordableWarning(out, params, settings);
  return 1;
}

}  // namespace plimod
