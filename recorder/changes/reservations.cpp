#include "recorder/changes/reservations.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/text_codec.h"
#include "recorder/changes/add_turns.h"
#include "recorder/text_file/program_txt_append.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/base/recorder_text.h"
#include "recorder/lists/reserve_entry.h"
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

AddOutcome OutcomeOf(const std::optional<int>& result) {
  if (!result) return AddOutcome::kAlreadyReserved;  // another sender added it meanwhile
  if (*result == 0) return AddOutcome::kAdded;
  return SrvUnreachable(*result) ? AddOutcome::kUnreachable : AddOutcome::kFailed;
}

std::vector<std::uint64_t> ProgrammesOf(const std::vector<ReserveRow>& rows, const std::vector<std::size_t>& at) {
  std::vector<std::uint64_t> programmes;
  programmes.reserve(at.size());
  for (std::size_t i : at) programmes.push_back(ProgramKeyOf(rows[i]));
  return programmes;
}

SrvAddTurns TurnsOf(AddSender& sender, const std::vector<ReserveRow>& rows) {
  return {[&sender, &rows](std::vector<std::size_t>& at) {
            const std::vector<bool> go = sender.Take(ProgrammesOf(rows, at));
            std::size_t kept = 0;
            for (std::size_t i = 0; i < at.size(); ++i) {
              if (go[i]) at[kept++] = at[i];
            }
            at.resize(kept);
          },
          [&sender, &rows](const std::vector<std::size_t>& at, int result) {
            sender.Done(ProgrammesOf(rows, at), result);
          }};
}

std::vector<AddOutcome> AddToServer(const std::vector<ReserveLine>& lines, AddKind kind) {
  std::vector<std::uint64_t> programmes;
  for (const ReserveLine& line : lines) programmes.push_back(LineProgramKey(line));
  AddSender sender(kind, programmes);
  std::vector<AddOutcome> outcomes(lines.size(), AddOutcome::kAlreadyReserved);
  std::vector<std::uint64_t> listed;
  (void)sender.Take({});
  const int result = SrvEnumReservedPrograms(listed, kServerWaitMs);
  sender.Done({}, result);
  if (result != 0) {
    outcomes.assign(lines.size(), SrvUnreachable(result) ? AddOutcome::kUnreachable : AddOutcome::kFailed);
    return outcomes;
  }
  std::unordered_set<std::uint64_t> reserved(listed.begin(), listed.end());
  std::vector<ReserveRow> rows;
  std::vector<std::size_t> rowLines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!reserved.insert(programmes[i]).second) continue;
    rows.push_back(NewRow(lines[i]));
    rowLines.push_back(i);
  }
  if (rows.empty()) return outcomes;
  const std::vector<std::optional<int>> results = SrvAddReservations(rows, kServerWaitMs, TurnsOf(sender, rows));
  ReserveListChanged();
  for (std::size_t r = 0; r < rows.size(); ++r) outcomes[rowLines[r]] = OutcomeOf(results[r]);
  return outcomes;
}

// One line at a time: the look for the programme and the append go
// together, and two appends never meet at the file's end.
AddOutcome AddToProgramTxt(const IniFile& settings, const ReserveLine& line) {
  static std::mutex& appending = *new std::mutex;  // a sender may overrun the program's end
  const std::lock_guard lock(appending);
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
  if (EpgTimerSrvMode()) return AddToServer({line}, AddKind::kOne).front();
  return AddToProgramTxt(settings, line);
}

std::vector<AddOutcome> AddNewReservations(const IniFile& settings, const std::vector<ReserveLine>& lines) {
  if (lines.empty()) return {};
  if (EpgTimerSrvMode()) return AddToServer(lines, AddKind::kSeveral);
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

std::optional<ReserveRow> FindServerReservation(std::uint64_t programKey) {
  std::vector<ReserveRow> rows;
  if (SrvEnumReservedRows(rows, kServerWaitMs) != 0) return std::nullopt;
  for (ReserveRow& row : rows) {
    if (row.reserveId > 0 && ProgramKeyOf(row) == programKey) return std::move(row);
  }
  return std::nullopt;
}

std::optional<std::int32_t> ServerReserveIdOf(std::uint64_t programKey, std::int32_t reserveId) {
  if (reserveId != kReserveIdNotKnown) return reserveId;
  const std::optional<ReserveRow> row = FindServerReservation(programKey);
  if (!row) return std::nullopt;
  return row->reserveId;
}

bool ChangeReservationTitle(std::string_view cp932Title, std::uint64_t programKey, int reserveId) {
  if (!EpgTimerSrvMode()) return false;
  std::optional<ReserveRow> row = GetMatchingRow(programKey, reserveId);
  if (!row) return false;
  row->title = RowText(cp932Title);
  return SentChange(SrvChangeReservation(*row, kServerWaitMs));
}

}  // namespace plimod
