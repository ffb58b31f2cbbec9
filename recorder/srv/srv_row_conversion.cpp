#include "recorder/srv/srv_row_conversion.h"

#include <tuple>
#include <utility>

#include "util/split.h"

namespace plimod {

namespace {

std::uint16_t SwapPostAction(std::uint32_t value) {
  if (value == 0) return 4;
  if (value == 4) return 0;
  return static_cast<std::uint16_t>(value);
}

std::vector<SrvRecFolder> FoldersOf(const std::wstring& folderText) {
  std::vector<SrvRecFolder> folders;
  std::vector<std::wstring> entries;
  SplitToVector(folderText, L'\t', entries);
  for (const std::wstring& entry : entries) {
    std::vector<std::wstring> parts;
    SplitToVector(entry, L'*', parts);
    if (parts.empty()) continue;
    SrvRecFolder folder;
    for (std::size_t i = 0; i < parts.size() && i < folder.parts.size(); ++i) {
      folder.parts[i] = std::move(parts[i]);
    }
    folders.push_back(std::move(folder));
  }
  return folders;
}

std::wstring FolderTextOf(const std::vector<SrvRecFolder>& folders) {
  std::wstring text;
  for (const SrvRecFolder& folder : folders) {
    std::wstring entry = folder.parts[0];
    for (std::size_t i = 1; i < folder.parts.size(); ++i) {
      if (!folder.parts[i].empty()) entry += L"*" + folder.parts[i];
    }
    if (!text.empty()) text += L'\t';
    text += entry;
  }
  return text;
}

}  // namespace

void ToSrvReserveData(const ReserveRow& row, SrvReserveData& data) {
  static_cast<ReservedProgram&>(data) = row;
  data.comment = row.comment;
  data.reserveId = static_cast<std::uint32_t>(row.reserveId);
  data.extraText = row.extraText;
  data.carriedByte = static_cast<std::uint8_t>(row.carriedByte);
  data.unrecordable = static_cast<std::uint8_t>(row.unrecordable);
  SrvRecSetting& s = data.setting;
  s.recordMode = static_cast<std::uint8_t>(row.recordMode);
  s.priority = row.priority;
  s.follow = row.follow;
  s.pittari = static_cast<std::uint8_t>(row.pittari);
  s.resumeRestart = static_cast<std::uint8_t>(row.resumeRestart);
  s.marginEnable = static_cast<std::uint8_t>(row.marginEnable);
  s.serviceFlags = row.serviceFlags;
  s.marginStart = row.marginStart;
  s.marginEnd = row.marginEnd;
  s.batchPath = row.batchPath;
  s.postAction = static_cast<std::uint8_t>(SwapPostAction(row.postAction));
  s.folders = FoldersOf(row.folderText);
}

void FromSrvReserveData(const SrvReserveData& data, ReserveRow& row) {
  SrvReserveData copy = data;
  FromSrvReserveData(std::move(copy), row);
}

void FromSrvReserveData(SrvReserveData&& data, ReserveRow& row) {
  static_cast<ReservedProgram&>(row) = std::move(static_cast<ReservedProgram&>(data));
  row.comment = std::move(data.comment);
  row.reserveId = static_cast<std::int32_t>(data.reserveId);
  row.extraText = std::move(data.extraText);
  row.carriedByte = data.carriedByte;
  row.unrecordable = data.unrecordable;
  SrvRecSetting& s = data.setting;
  row.recordMode = s.recordMode;
  row.priority = s.priority;
  row.follow = s.follow;
  row.pittari = s.pittari;
  row.resumeRestart = s.resumeRestart;
  row.marginEnable = s.marginEnable;
  row.serviceFlags = s.serviceFlags;
  row.marginStart = s.marginStart;
  row.marginEnd = s.marginEnd;
  row.batchPath = std::move(s.batchPath);
  row.postAction = SwapPostAction(s.postAction);
  row.folderText = FolderTextOf(s.folders);
}

bool SystemTimeLess(const SystemTime& a, const SystemTime& b) {
  return std::tie(a.wYear, a.wMonth, a.wDay, a.wHour, a.wMinute, a.wSecond) <=
         std::tie(b.wYear, b.wMonth, b.wDay, b.wHour, b.wMinute, b.wSecond);
}

}  // namespace plimod
