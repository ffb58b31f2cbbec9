#include "pages/mobile/mobile_page.h"

#include <mutex>
#include <optional>
#include <shared_mutex>

#include "epg/epg_index.h"
#include "pages/mobile/mobile_pages_internal.h"
#include "pages/recorder/edcid.h"
#include "recorder/base/recorder_mode.h"
#include "server/carry_over.h"
#include "server/page_reply.h"
#include "server/request_context.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

struct MenuRow {
  const char* label;
  const char* page;
  bool needsReservations;
};

constexpr MenuRow kMenu[] = {
    {"検索結果", "s", false},      {"番組表(地上波)", "e&b=1", false}, {"番組表(BS)", "e&b=10", false},
    {"番組表(CS)", "e&b=100", false}, {"検索", "w", false},            {"ETB予約list", "n", true},
};

bool ReservationsAvailable() { return RecorderLinkSetting() != 0 && EpgTimerSrvMode(); }

void MobileMenu(ReplyWriter& out, const MobileRequest& request) {
  MobilePageHead(out, "プリモ…");
  const bool reservations = ReservationsAvailable();
  const std::string carry = MobileQueryCarry(request.params, "c d b s");
  int number = 0;
  for (const MenuRow& row : kMenu) {
    ++number;  // a hidden row keeps its number
    if (row.needsReservations && !reservations) continue;
    SendPageText(out, "%d.<a href='?c=%s&%s' accesskey=%d>%s</a><br>\n", number, row.page, carry.c_str(), number,
                 row.label);
  }
  MobilePageEnd(out);
}

void WriteReservationLinks(ReplyWriter& out, const std::string& carry, std::uint64_t serviceKey,
                           std::uint16_t eventId) {
  const ReserveSnapshot lists = ReloadMobileReserveLists();
  if (const ReserveEntry* entry = FindReserve(*lists, serviceKey, eventId)) {
    SendPageText(out, "予約済み");
    if (entry->Disabled()) SendPageText(out, "(無効)");
    SendPageText(out, " <A HREF='?c=n&edcid=%s&d=1&%s'>予約削除</A>", MakeEdcid(entry->ProgramKey(), entry->reserveId).c_str(), carry.c_str());
    return;
  }
  SendPageText(out, " <A HREF='/?cmd=edc&sid=%llx&eid=%x&silent=1&%s'>予約する</A>",
               static_cast<unsigned long long>(serviceKey), eventId, carry.c_str());
}

}  // namespace

void MobileProgramDetail(ReplyWriter& out, MobileRequest& request) {
  const std::uint64_t serviceKey = ParseHex64(request.params.Value("sid"));
  const auto eventId = static_cast<std::uint16_t>(ParseHex32(request.params.Value("eid")));
  std::optional<EpgEvent> event;
  {
    std::shared_lock lock(EpgDataLock());
    if (const EpgEvent* stored = FindStoredEvent(serviceKey, eventId)) event = *stored;
  }
  MobilePageHead(out, event ? PageText(event->Title()) : std::string());
  if (!event) {
    SendPageText(out, "番組情報が見つかりませんでした\n");
    MobilePageEnd(out);
    return;
  }
  const std::string carry = MobileQueryCarry(request.params, "c d b s");
  SendPageText(out, "<A HREF='?c=%s&%s' accesskey=0>戻る</A> ", PercentEncodeValue(request.Page()).c_str(),
               carry.c_str());
  if (RecorderLinkSetting() == 1) WriteReservationLinks(out, carry, serviceKey, eventId);
  SendPageText(out, "<hr>\n");
  {
    std::shared_lock lock(EpgDataLock());
    MobileProgramInfo(out, *event);
  }
  MobilePageEnd(out);
}

bool MobilePageLoadsReservations() {
  const RequestParameters& params = CurrentParameters();
  if (!params.Value("sid").empty() && !params.Value("eid").empty()) return RecorderLinkSetting() == 1;
  const std::string page = params.Value("c");
  return page == "s" || page == "e" || page == "w" || page == "n";
}

int ServeMobilePage(ReplyWriter& out) {
  // The listening thread installs each request's own context, so these
  // parameters are this request's and nobody else's.
  MobileRequest request{CurrentParameters(), MobileWidthOf(CurrentParameters())};
  RequestParameters& params = request.params;
  if (!params.Value("sid").empty() && !params.Value("eid").empty()) {
    MobileProgramDetail(out, request);
    return 0;
  }
  const std::string page = request.Page();
  if (page.empty()) {
    MobileMenu(out, request);
  } else if (page == "s" || page == "e") {
    MobileProgramTable(out, request);
  } else if (page == "w") {
    MobileSearchPage(out, request);
  } else if (page == "n") {
    MobileReserveList(out, request);
  } else if (page != "r") {
    SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
    SendPageText(out, "工事中\n");
  }
  return 0;
}

}  // namespace plimod
