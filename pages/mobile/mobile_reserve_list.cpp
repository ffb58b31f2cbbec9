#include <mutex>
#include <optional>
#include <shared_mutex>

#include "epg/epg_index.h"
#include "pages/mobile/mobile_pages_internal.h"
#include "pages/recorder/edcid.h"
#include "pages/recorder/reserve_load_failure.h"
#include "recorder/base/page_turns.h"
#include "recorder/base/recorder_mode.h"
#include "platform/text_codec.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_patch.h"
#include "recorder/changes/reservations.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"
#include "util/text_kana.h"

namespace plimod {

namespace {

enum ReserveFilter { kPending = 0, kEnded = 1 };

// The deletion the delete links ask for; false when it failed (it fails at
// once outside the server mode). A reservation of that id that is another
// programme's now is left alone, as on the desktop list. The list that
// follows shows what is left: `shown` gets it after a deletion.
bool DeleteRequested(RequestParameters& params, ReserveSnapshot& shown) {
  const std::string formId = params.Value("edcid");
  if (formId.empty() || params.Value("d").empty()) return true;
  EdcidParts parts = ParseEdcid(formId);
  const PageServerTurn turn;
  // A reservation made since the last load is named without the server's
  // id: the server tells it (outside the server mode the deletion fails).
  const std::optional<std::int32_t> id =
      EpgTimerSrvMode() ? ServerReserveIdOf(parts.programKey, parts.reserveId) : parts.reserveId;
  const DeleteOutcome outcome = id ? DeleteProgrammeReservation(parts.programKey, *id) : DeleteOutcome::kFailed;
  if (id) parts.reserveId = *id;
  params["edcid"].clear();
  params["d"].clear();
  if (outcome == DeleteOutcome::kDeleted) {
    shown = ApplyOwnReserveChange(Settings(), [parts](ReserveLists& lists) {
      RemoveReserveEntry(lists, parts.programKey, parts.reserveId);
    });
  }
  return outcome != DeleteOutcome::kFailed;
}

// As the desktop list answers: the list alone would not tell that the
// reservation is still there.
void WriteDeleteFailure(ReplyWriter& out) {
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendPageText(out, "エラー\n予約サーバで削除できませんでした\n");
}

int EntryColour(const ReserveLists& lists, const ReserveEntry& entry) {
  if (entry.Disabled()) return kMobileRed;
  if (IsUnrecordableProgram(lists, entry.ProgramKey())) return entry.unrecordable == 2 ? kMobileGrey : kMobileGreen;
  return kMobilePlain;
}

bool PassesFilter(const ReserveEntry& entry, int filter, std::int64_t nowTicks) {
  const std::optional<std::int64_t> start = SystemTimeToTicks(entry.start);
  const std::int64_t end = start.value_or(0) + std::int64_t{entry.durationSeconds} * kTicksPerSecond;
  if (filter == kPending) return end >= nowTicks;
  if (filter == kEnded) return end < nowTicks;
  return true;
}

void WriteFilterLink(ReplyWriter& out, int filter, int current, const char* label, const std::string& carry) {
  if (filter == current) {
    SendPageText(out, "%s ", label);
  } else {
    SendPageText(out, "<A HREF='?c=n&f=%d&%s'>%s</A> ", filter, carry.c_str(), label);
  }
}

void WriteReserveEntries(ReplyWriter& out, const MobileRequest& request, int filter, const ReserveSnapshot& lists) {
  const std::int64_t now = LocalNowTicks();
  const std::string carry = MobileQueryCarry(request.params, "c d b s");
  for (const ReserveEntry& entry : lists->reserveList) {
    if (!PassesFilter(entry, filter, now)) continue;
    MobileTimeLabel(out, entry.start, EntryColour(*lists, entry), entry.start.wHour * 60 + entry.start.wMinute);
    SendPageText(out, " %s<br>", PageText(FitToMobileWidth(Cp932ToWide(entry.station), request.width - 16)).c_str());
    SendPageText(out, "<a href='?c=n&edcid=%s&%s'>%s</a><br>\n", MakeEdcid(entry.ProgramKey(), entry.reserveId).c_str(), carry.c_str(),
                 PageText(FitToMobileWidth(Cp932ToWide(entry.title), request.width)).c_str());
  }
}

void WriteOneReservation(ReplyWriter& out, const MobileRequest& request, const std::string& formId) {
  const std::uint64_t programKey = ParseEdcid(formId).programKey;
  const ReserveSnapshot lists = ShownMobileReserveLists();
  if (FindReserve(*lists, ServiceKeyOf(programKey), EidOf(programKey)) == nullptr) {
    SendPageText(out, "予約が見つかりませんでした\n");
    return;
  }
  std::shared_lock lock(EpgDataLock());
  const EpgEvent* event = FindStoredEvent(ServiceKeyOf(programKey), EidOf(programKey));
  if (event == nullptr) {
    SendPageText(out, "番組情報が見つかりませんでした\n");
    return;
  }
  const std::string carry = MobileQueryCarry(request.params, "c d b s");
  SendPageText(out, "<A HREF='?c=n&%s' accesskey=0>戻る</A> ", carry.c_str());
  SendPageText(out, "<A HREF='?c=n&edcid=%s&d=1&%s'>削除</A> <hr>", PercentEncodeValue(formId).c_str(), carry.c_str());
  MobileProgramInfo(out, *event);
}

}  // namespace

void MobileReserveList(ReplyWriter& out, MobileRequest& request) {
  RequestParameters& params = request.params;
  const int filter = StringToInt(params.Value("f"));
  ReserveSnapshot shown;
  if (!DeleteRequested(params, shown)) {
    WriteDeleteFailure(out);
    return;
  }
  MobilePageHead(out, "ETB予約ﾘｽﾄ ");
  const std::string formId = params.Value("edcid");
  if (!formId.empty()) {
    WriteOneReservation(out, request, formId);
  } else {
    const std::string carry = MobileQueryCarry(params, "c d b s f");
    SendPageText(out, "<A HREF='?%s' accesskey=0>戻る</A> ", carry.c_str());
    WriteFilterLink(out, 0, filter, "予約", carry);
    WriteFilterLink(out, 1, filter, "結果", carry);
    WriteFilterLink(out, 2, filter, "全て", carry);
    SendPageText(out, "<hr>\n");
    const ReserveSnapshot lists = shown ? shown : ShownMobileReserveLists();
    // Half-width, as the phone pages write their texts.
    if (const std::string failure = ReserveLoadFailureText(Settings()); !failure.empty()) {
      SendPageText(out, "%s<br>\n", PageText(ToHalfWidthKana(Utf8ToWide(failure))).c_str());
    }
    WriteReserveEntries(out, request, filter, lists);
  }
  MobilePageEnd(out);
}

}  // namespace plimod
