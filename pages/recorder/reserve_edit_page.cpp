#include "pages/recorder/reserve_edit_page.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <shared_mutex>

#include "epg/epg_busy_flag.h"
#include "epg/epg_index.h"
#include "pages/recorder/edcid.h"
#include "pages/recorder/reserve_edit_line.h"
#include "pages/recorder/reserve_edit_save.h"
#include "pages/recorder/reserve_form.h"
#include "recorder/changes/reservations.h"
#include "recorder/lists/reserve_entry.h"
#include "recorder/base/page_turns.h"
#include "recorder/base/recorder_mode.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {
namespace {

// Names no reservation: the server numbers from 1, and results are
// negative, which the page does not edit.
constexpr std::int32_t kNoServerReservation = -1;

// The station and, while the store still holds the programme, its texts.
void WriteProgrammeOfReservation(ReplyWriter& out, std::uint64_t programKey) {
  const std::uint64_t serviceKey = ServiceKeyOf(programKey);
  if (const auto station = ServiceMap.find(serviceKey); station != ServiceMap.end()) {
    SendPageText(out, "局名：%s<BR>\n", PageText(station->second).c_str());
  }
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return;
  const auto event = service->second.find(EidOf(programKey));
  if (event == service->second.end()) return;
  SendPageText(out, "<BR>\n");
  WriteReserveEventTexts(out, event->second);
}

void ShowReservation(ReplyWriter& out, RequestParameters& params, IniFile& settings, const EdcidParts& id) {
  const auto line = FindNamedReserveLine(settings, id);
  // The busy flag may have been let go to ask the server.
  std::shared_lock lock(EpgDataLock());
  if (!line) {
    WriteReservePlainText(out, "予約が見つかりません");
    return;
  }
  FillReserveEditForm(params, *line, EpgTimerSrvMode());
  WriteReservePageHead(out);
  // The form carries cmd and edcid, so it posts back here.
  WriteDefaultReserveEditForm(out, params, settings);
  WriteProgrammeOfReservation(out, id.programKey);
  SendPageText(out, "</BODY></HTML>\n");
}

}  // namespace

int ServeReserveEditPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  EdcidParts id = ParseEdcid(params.Value("edcid"));
  const bool tokenOk = CheckRequestToken(params.Value("token"));
  const bool disable = tokenOk && !params.Value("invalid").empty();
  const bool save = tokenOk && !params.Value("spc").empty() && !params.Value("edc_title").empty();
  // A reservation made since the last load is named without the server's
  // id: the server tells it.
  const bool lookUp = EpgTimerSrvMode() && id.reserveId == kReserveIdNotKnown;
  // A change reads no guide and waits on the recorder: EPG loads need not
  // wait for it.
  std::optional<PageServerTurn> turn;
  if (disable || save || lookUp) {
    LetGoOfEpgBusyFlag();
    turn.emplace();
  }
  if (lookUp) id.reserveId = ServerReserveIdOf(id.programKey, id.reserveId).value_or(kNoServerReservation);
  if (disable) {
    WriteReservePlainText(out, DisableNamedReservation(settings, id) ? "無効にしました\n" : "エラー\n");
    return 1;
  }
  if (save) {
    if (EpgTimerSrvMode()) {
      SaveReservationOnServer(out, params, settings, id);
    } else {
      SaveReservationInProgramTxt(out, params, settings, id);
    }
    return 1;
  }
  ShowReservation(out, params, settings, id);
  return 1;
}

}  // namespace plimod
