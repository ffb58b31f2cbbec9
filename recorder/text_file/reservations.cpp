#include "recorder/text_file/reservations.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/text_codec.h"
#include "recorder/text_file/program_txt_append.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/base/recorder_text.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/base/reserve_row.h"
#include "util/keys.h"
#include "util/module_paths.h"

namespace plimod {
namespace {

constexpr std::uint32_t kServerWaitMs = 15000;

std::wstring RowText(std::string_view cp932) { return CleanRecorderText(Cp932ToWide(cp932)); }

std::wstring RowPath(std::string_view cp932) {
  std::wstring path = RowText(cp932);
  UnquotePath(path);
  return path;
}

// Recording folders: the server separates its entries by TAB, so a TAB
// stays; each entry is cleaned on its own.
std::wstring RowFolders(std::string_view cp932) {
  std::wstring folders;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = cp932.find('\t', start);
    folders += RowText(cp932.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) break;
    folders += L'\t';
    start = tab + 1;
  }
  UnquotePath(folders);
  return folders;
}

// What both adding and changing take from the line.
void SetLineValues(const ReserveLine& line, ReserveRow& row) {
  row.title = RowText(line.title);
  row.start = line.start;
  row.duration = static_cast<std::uint32_t>(DurationSecondsOf(line));
  row.station = RowText(line.station);
  row.priority = static_cast<std::uint8_t>(line.priority);
  row.follow = static_cast<std::uint8_t>(line.follow);
  row.recordMode = static_cast<std::uint32_t>(line.recordMode);
  row.pittari = static_cast<std::uint32_t>(line.pittari);
  row.carriedByte = 0;
  row.postAction = static_cast<std::uint16_t>(line.postAction);
  row.resumeRestart = static_cast<std::uint32_t>(line.resumeRestart);
  row.marginEnable = static_cast<std::uint32_t>(line.marginEnable);
  row.marginStart = static_cast<std::uint32_t>(line.marginStart);
  row.marginEnd = static_cast<std::uint32_t>(line.marginEnd);
  row.serviceFlags = ServiceBitsOfOptions(line.serviceOptions);
}

ReserveRow NewRow(const ReserveLine& line) {
  ReserveRow row;
  SetLineValues(line, row);
  row.originalNetworkId = static_cast<std::uint16_t>(line.networkId);
  row.transportStreamId = static_cast<std::uint16_t>(line.transportStreamId);
  row.serviceId = static_cast<std::uint16_t>(line.serviceId);
  row.eventId = static_cast<std::uint16_t>(line.eventId);
  row.comment = RowText(line.comment);
  row.batchPath = RowPath(line.batchPath);
  row.folderText = RowFolders(line.recFolder);
  return row;
}

std::uint64_t LineProgramKey(const ReserveLine& line) {
  return ProgramKey(static_cast<std::uint16_t>(line.eventId),
                    ServiceKey(static_cast<std::uint16_t>(line.networkId),
                               static_cast<std::uint16_t>(line.transportStreamId),
                               static_cast<std::uint16_t>(line.serviceId)));
}

// Held from the look for an existing reservation until the add is answered.
// Bounded like the server client's own lock: a turn that does not come runs
// anyway (the server's list then still keeps it from most duplicates).
class AddTurn {
 public:
  AddTurn() : held_(Mutex().try_lock_for(std::chrono::milliseconds(kTurnWaitMs))) {}
  ~AddTurn() {
    if (held_) Mutex().unlock();
  }
  AddTurn(const AddTurn&) = delete;
  AddTurn& operator=(const AddTurn&) = delete;

 private:
  static constexpr std::uint32_t kTurnWaitMs = 120'000;
  static std::timed_mutex& Mutex() {
    static std::timed_mutex mutex;
    return mutex;
  }
  bool held_;
};

std::vector<AddOutcome> AddToServer(const std::vector<ReserveLine>& lines) {
  std::vector<AddOutcome> outcomes(lines.size(), AddOutcome::kAlreadyReserved);
  std::vector<std::uint64_t> listed;
  const int result = SrvEnumReservedPrograms(listed, kServerWaitMs);
  if (result != 0) {
    outcomes.assign(lines.size(), SrvUnreachable(result) ? AddOutcome::kUnreachable : AddOutcome::kFailed);
    return outcomes;
  }
  std::unordered_set<std::uint64_t> reserved(listed.begin(), listed.end());
  std::vector<ReserveRow> rows;
  std::vector<std::size_t> rowLines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!reserved.insert(LineProgramKey(lines[i])).second) continue;
    rows.push_back(NewRow(lines[i]));
    rowLines.push_back(i);
  }
  if (rows.empty()) return outcomes;
  std::size_t added = 0;
  const int sent = SrvAddReservations(rows, added, kServerWaitMs);
  ReserveListChanged();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    AddOutcome& outcome = outcomes[rowLines[r]];
    if (r < added) {
      outcome = AddOutcome::kAdded;
    } else {
      outcome = SrvUnreachable(sent) ? AddOutcome::kUnreachable : AddOutcome::kFailed;
    }
  }
  return outcomes;
}

AddOutcome AddToProgramTxt(const IniFile& settings, const ReserveLine& line) {
  const auto path = LocateProgramTxt(settings);
  if (!path) return AddOutcome::kFailed;
  if (ProgramTxtHoldsProgramme(*path, LineProgramKey(line))) return AddOutcome::kAlreadyReserved;
  return AppendProgramTxtLine(*path, FormatProgramTxtLine(line)) ? AddOutcome::kAdded : AddOutcome::kFailed;
}

// The server's reservation `reserveId`, when it still belongs to the programme.
std::optional<ReserveRow> GetMatchingRow(std::uint64_t programKey, int reserveId) {
  ReserveRow row;
  if (SrvGetReservation(static_cast<std::uint32_t>(reserveId), row, kServerWaitMs) != 0) {
    return std::nullopt;
  }
  if (ProgramKeyOf(row) != programKey) return std::nullopt;
  return row;
}

// After a command that may have changed a reservation; true when it did.
bool SentChange(int result) {
  ReserveListChanged();
  return result == 0;
}

}  // namespace

AddOutcome AddNewReservation(const IniFile& settings, const ReserveLine& line) {
  return AddNewReservations(settings, {line}).front();
}

std::vector<AddOutcome> AddNewReservations(const IniFile& settings, const std::vector<ReserveLine>& lines) {
  if (lines.empty()) return {};
  const AddTurn turn;
  if (EpgTimerSrvMode()) return AddToServer(lines);
  std::vector<AddOutcome> outcomes;
  outcomes.reserve(lines.size());
  for (const ReserveLine& line : lines) outcomes.push_back(AddToProgramTxt(settings, line));
  return outcomes;
}

bool AddReservation(const IniFile& settings, const ReserveLine& line) {
  return AddNewReservation(settings, line) == AddOutcome::kAdded;
}

// Without the server the client would wait its whole connect time-out for
// nothing, so the text-file mode fails at once.
bool ChangeReservation(const ReserveLine& line, std::uint64_t programKey, int reserveId) {
  if (!EpgTimerSrvMode()) return false;
  std::optional<ReserveRow> row = GetMatchingRow(programKey, reserveId);
  if (!row) return false;
  SetLineValues(line, *row);
  if (line.batchPath != kKeepRecorderValue) row->batchPath = RowPath(line.batchPath);
  if (line.recFolder != kKeepRecorderValue) row->folderText = RowFolders(line.recFolder);
  return SentChange(SrvChangeReservation(*row, kServerWaitMs));
}

bool DeleteReservation(std::uint64_t programKey, int reserveId) {
  return DeleteProgrammeReservation(programKey, reserveId) == DeleteOutcome::kDeleted;
}

DeleteOutcome DeleteProgrammeReservation(std::uint64_t programKey, int reserveId) {
  if (!EpgTimerSrvMode()) return DeleteOutcome::kFailed;
  ReserveRow row;
  if (SrvGetReservation(static_cast<std::uint32_t>(reserveId), row, kServerWaitMs) != 0) return DeleteOutcome::kFailed;
  if (ProgramKeyOf(row) != programKey) return DeleteOutcome::kOtherProgramme;
  return SentChange(SrvDeleteReservations({row}, kServerWaitMs)) ? DeleteOutcome::kDeleted : DeleteOutcome::kFailed;
}

bool ChangeReservationTitle(std::string_view cp932Title, std::uint64_t programKey, int reserveId) {
  if (!EpgTimerSrvMode()) return false;
  std::optional<ReserveRow> row = GetMatchingRow(programKey, reserveId);
  if (!row) return false;
  row->title = RowText(cp932Title);
  return SentChange(SrvChangeReservation(*row, kServerWaitMs));
}

}  // namespace plimod
