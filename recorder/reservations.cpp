#include "recorder/reservations.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"
#include "recorder/program_txt_append.h"
#include "recorder/recorder_mode.h"
#include "recorder/recorder_paths.h"
#include "recorder/recorder_text.h"
#include "recorder/reserve_list_keep.h"
#include "recorder/reserve_row.h"
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

std::uint64_t RowProgramKey(const ReserveRow& row) {
  return ProgramKey(row.eventId,
                    ServiceKey(row.originalNetworkId, row.transportStreamId, row.serviceId));
}

// The server's reservation `reserveId`, when it still belongs to the programme.
std::optional<ReserveRow> GetMatchingRow(std::uint64_t programKey, int reserveId) {
  ReserveRow row;
  if (SrvGetReservation(static_cast<std::uint32_t>(reserveId), row, kServerWaitMs) != 0) {
    return std::nullopt;
  }
  if (RowProgramKey(row) != programKey) return std::nullopt;
  return row;
}

// After a command that may have changed a reservation; true when it did.
bool SentChange(int result) {
  ReserveListChanged();
  return result == 0;
}

}  // namespace

AddOutcome AddNewReservation(const IniFile& settings, const ReserveLine& line) {
  if (EpgTimerSrvMode()) {
    const int result = SrvAddReservation(NewRow(line), kServerWaitMs);
    ReserveListChanged();
    if (result == 0) return AddOutcome::kAdded;
    return SrvUnreachable(result) ? AddOutcome::kUnreachable : AddOutcome::kFailed;
  }
  const auto path = LocateProgramTxt(settings);
  if (!path) return AddOutcome::kFailed;
  const std::uint64_t key = ProgramKey(static_cast<std::uint16_t>(line.eventId),
                                       ServiceKey(static_cast<std::uint16_t>(line.networkId),
                                                  static_cast<std::uint16_t>(line.transportStreamId),
                                                  static_cast<std::uint16_t>(line.serviceId)));
  if (ProgramTxtHoldsProgramme(*path, key)) return AddOutcome::kAlreadyReserved;
  return AppendProgramTxtLine(*path, FormatProgramTxtLine(line)) ? AddOutcome::kAdded : AddOutcome::kFailed;
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
  if (RowProgramKey(row) != programKey) return DeleteOutcome::kOtherProgramme;
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
