#include "pages/recorder/reserve_list_actions.h"

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pages/recorder/edcid.h"
#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/text_file/program_txt_rewrite.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/lines/reserve_line.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_entry.h"
#include "recorder/lists/reserve_list_patch.h"
#include "recorder/base/reserve_row.h"
#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {
namespace {

constexpr std::uint32_t kSrvWaitMs = 15000;
// The server's own code for success, as SrvDeleteRecordedInfo hands it on.
constexpr std::uint32_t kSrvResultSuccess = 1;

// The reservations (programme key, reserve id) an action removed or disabled.
struct ActionDone {
  std::vector<std::pair<std::uint64_t, std::int32_t>> removed;
  std::vector<std::pair<std::uint64_t, std::int32_t>> disabled;

  bool Empty() const { return removed.empty() && disabled.empty(); }
  void operator()(ReserveLists& lists) const {
    for (const auto& [key, id] : removed) RemoveReserveEntry(lists, key, id);
    for (const auto& [key, id] : disabled) SetReserveEntryMode(lists, key, id, kRecordModeDisabled);
  }
};

// The rows of `rows` as removed ones, for the kept list.
void AddRemoved(ActionDone& done, const std::vector<ReserveRow>& rows) {
  for (const ReserveRow& row : rows) done.removed.emplace_back(ProgramKeyOf(row), row.reserveId);
}

// The reservation names a person checked.
std::set<std::string> CheckedNamesOf(const RequestParameters& params) {
  std::set<std::string> names;
  for (const auto& [name, value] : params.Entries()) {
    if (!value.empty() && name.starts_with("E_")) names.insert(name);
  }
  return names;
}

// The checked names, each taken by the server's row it names: by its id,
// or, for a name without one (a reservation this program made since the
// last load), by the programme's first reservation. A name no row takes
// names nothing the server holds.
class CheckedNames {
 public:
  explicit CheckedNames(const RequestParameters& params) : left_(CheckedNamesOf(params)) {}
  // The checked name of the row, taken; nothing when it is not checked.
  std::optional<std::string> Take(const ReserveRow& row) {
    for (const std::int32_t id : {row.reserveId, kReserveIdNotKnown}) {
      if (id == kReserveIdNotKnown && row.reserveId <= 0) break;
      std::string name = MakeEdcid(ProgramKeyOf(row), id);
      if (left_.erase(name) != 0) return name;
    }
    return std::nullopt;
  }
  bool AnyLeft() const { return !left_.empty(); }

 private:
  std::set<std::string> left_;
};

bool DisableOnServer(std::int32_t reserveId) {
  ReserveRow row;
  if (SrvGetReservation(static_cast<std::uint32_t>(reserveId), row, kSrvWaitMs) != 0) return false;
  row.recordMode = kRecordModeDisabled;
  return SrvChangeReservation(row, kSrvWaitMs) == 0;
}

std::string ProgramTxtFailure(const std::wstring& path) {
  return "Program.txtオープンエラー\n" + WideToUtf8(path);
}

}  // namespace

ReserveActionResult ApplyServerReserveAction(RequestParameters& params, const IniFile& settings) {
  const bool remove = !params.Value("delete").empty();
  const bool disable = !params.Value("invalid").empty();
  std::vector<ReserveRow> listed;
  if (SrvEnumReservations(listed, kSrvWaitMs) != 0) return {false, "予約サーバから予約を取得できませんでした", nullptr};
  CheckedNames checked(params);
  bool refused = false;
  ActionDone done;
  std::vector<ReserveRow> toDelete;
  std::vector<ReserveRow> results;
  std::vector<std::uint32_t> resultIds;
  for (const ReserveRow& row : listed) {
    const std::optional<std::string> name = checked.Take(row);
    if (!name) continue;
    if (remove) {
      if (row.reserveId < 0 && SrvListsRecordingResults()) {
        resultIds.push_back(static_cast<std::uint32_t>(-static_cast<std::int64_t>(row.reserveId)));
        results.push_back(row);
        continue;
      }
      ReserveRow fetched;
      if (SrvGetReservation(static_cast<std::uint32_t>(row.reserveId), fetched, kSrvWaitMs) == 0) {
        toDelete.push_back(fetched);
      } else {
        refused = true;
      }
    } else if (disable) {
      if (DisableOnServer(row.reserveId)) {
        done.disabled.emplace_back(ProgramKeyOf(row), row.reserveId);
      } else {
        refused = true;
      }
      params[*name].clear();
    }
  }
  // A name the server holds no reservation of was not acted on.
  if ((remove || disable) && checked.AnyLeft()) refused = true;
  if (remove) {
    if (SrvDeleteReservations(toDelete, kSrvWaitMs) == 0) {
      AddRemoved(done, toDelete);
    } else {
      refused = true;
    }
    if (!resultIds.empty()) {
      if (SrvDeleteRecordedInfo(resultIds) == kSrvResultSuccess) {
        AddRemoved(done, results);
      } else {
        refused = true;
      }
    }
  }
  ReserveListChanged();
  ReserveSnapshot shown = done.Empty() ? nullptr : ApplyOwnReserveChange(settings, done);
  if (!refused) return {false, {}, std::move(shown)};
  return {false, remove ? "予約サーバで削除できませんでした" : "予約サーバで無効にできませんでした", std::move(shown)};
}

ReserveActionResult ApplyProgramTxtReserveAction(ReplyWriter& out, const RequestParameters& params,
                                                 const IniFile& settings) {
  const std::optional<std::wstring> path = LocateProgramTxt(settings);
  if (!path) return {false, ProgramTxtFailure(settings.GetString(L"EPGDATACAP", L"PROGRAMTXT").value_or(L"")), nullptr};
  if (!CloseEpgTimerBon(out)) return {true, {}, nullptr};
  // Whatever becomes of the rewrite, the recorder was closed and must run
  // again, or it would miss its recordings.
  // Two lines of one programme and reserve id share a name: one box ticked
  // is one line gone, the first.
  std::set<std::string> removed;
  ActionDone done;
  const RewriteResult rewritten =
      RewriteProgramTxt(*path, [&](const ReserveTextLine& line) -> std::optional<std::string> {
        std::string edcid = LineEdcid(line);
        if (params.Value(edcid).empty() || !removed.insert(std::move(edcid)).second) return std::nullopt;
        done.removed.emplace_back(LineProgramKey(line), LineReserveId(line));
        return std::string();
      });
  // Nothing has been written yet, so a failed start answers with its own
  // header.
  if (!RestartEpgTimerBon(settings, &out, true)) return {true, {}, nullptr};
  ReserveSnapshot shown = ApplyOwnReserveChange(settings, done);
  if (rewritten != RewriteResult::kDone) return {false, ProgramTxtFailure(*path), std::move(shown)};
  // A name no line has was not removed.
  for (const std::string& name : CheckedNamesOf(params)) {
    if (!removed.contains(name)) return {false, "予約が見つかりません", std::move(shown)};
  }
  return {false, {}, std::move(shown)};
}

}  // namespace plimod
