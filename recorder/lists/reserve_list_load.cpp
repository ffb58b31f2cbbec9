#include "recorder/lists/reserve_list_load.h"

#include <fcntl.h>
#include <malloc.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
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

// False when a call failed (no server, or an answer refused); the lists
// then hold what the calls gave: no labels, or no reservations.
bool LoadFromServer(ReserveLists& lists) {
  std::vector<TunerReserveRow> tuners;
  const bool tunersRead = SrvEnumTunerReservations(tuners, kServerTimeoutMs) == 0;
  std::vector<ReserveRow> rows;
  const bool rowsRead = SrvEnumReservations(rows, kServerTimeoutMs) == 0;
  AddServerReservations(lists, rows, tuners);
  return tunersRead && rowsRead;
}

// Logged once while loads keep failing, again after one has gone through.
void NoteServerLoad(bool loaded) {
  static std::atomic<bool> failureLogged{false};
  if (loaded) {
    failureLogged = false;
    return;
  }
  // What a refused answer had made, freed between rows that stay, would
  // otherwise stay in the resident set.
  malloc_trim(0);
  if (!failureLogged.exchange(true)) LogWrite("予約サーバの予約一覧を読めませんでした\n");
}

// False when Program.txt cannot be found or read (the lists then hold what
// the recorder's other files give).
bool LoadFromText(const IniFile& settings, ReserveLists& lists) {
  const std::optional<std::wstring> programTxt = LocateProgramTxt(settings);
  const std::string text = LoadReserveText(settings, programTxt.value_or(L""));
  const int skipped = AddTextReservations(lists, text, ReadTunerCounts(settings, DetectedTunerCounts()));
  if (skipped > 0) LogWrite("予約ファイルの日時が正しくない予約を%d件読み飛ばしました\n", skipped);
  return programTxt && UniqueFd(::open(ToNativePath(*programTxt).c_str(), O_RDONLY | O_CLOEXEC));
}

}  // namespace

ReserveSnapshot LoadReserveList(const IniFile& settings) {
  const ReserveListLoadTicket ticket = BeginReserveListLoad(settings);
  auto lists = std::make_shared<ReserveLists>();
  bool loaded = false;
  if (ticket.stamp.server) {
    loaded = LoadFromServer(*lists);
    NoteServerLoad(loaded);
  } else {
    loaded = LoadFromText(settings, *lists);
  }
  IndexReserveList(*lists);
  return EndReserveListLoad(ticket, std::move(lists), loaded);
}

}  // namespace plimod
