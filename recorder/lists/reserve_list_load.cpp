#include "recorder/lists/reserve_list_load.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "recorder/base/recorder_mode.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_server.h"
#include "recorder/lists/reserve_list_text.h"
#include "recorder/lines/reserve_text.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr std::uint32_t kServerTimeoutMs = 15000;

void LoadFromServer(ReserveLists& lists) {
  // A failed call leaves its rows empty: no labels, or no reservations.
  std::vector<TunerReserveRow> tuners;
  SrvEnumTunerReservations(tuners, kServerTimeoutMs);
  std::vector<ReserveRow> rows;
  SrvEnumReservations(rows, kServerTimeoutMs);
  AddServerReservations(lists, rows, tuners);
}

void LoadFromText(const IniFile& settings, ReserveLists& lists) {
  const std::wstring programTxt = LocateProgramTxt(settings).value_or(L"");
  const std::string text = LoadReserveText(settings, programTxt);
  const int skipped = AddTextReservations(lists, text, ReadTunerCounts(settings, DetectedTunerCounts()));
  if (skipped > 0) LogWrite("予約ファイルの日時が正しくない予約を%d件読み飛ばしました\n", skipped);
}

}  // namespace

ReserveSnapshot LoadReserveList(const IniFile& settings) {
  const ReserveListLoadTicket ticket = BeginReserveListLoad(settings);
  auto lists = std::make_shared<ReserveLists>();
  if (ticket.stamp.server) {
    LoadFromServer(*lists);
  } else {
    LoadFromText(settings, *lists);
  }
  IndexReserveList(*lists);
  return EndReserveListLoad(ticket, std::move(lists));
}

}  // namespace plimod
