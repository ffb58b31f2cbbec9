#include "tests/fakes/epgtimer_srv/fake_srv_reserve_file.h"

#include <cinttypes>

#include "platform/text_codec.h"
#include "recorder/base/recorder_text.h"
#include "recorder/base/reserve_row.h"
#include "recorder/lines/reserve_text.h"
#include "recorder/srv/srv_row_conversion.h"
#include "util/format.h"

namespace plimod::test {

namespace {

std::string LineText(const std::wstring& text) { return CleanRecorderText(WideToCp932(text)); }

std::string FormatLine(const SrvReserveData& data) {
  ReserveRow row;
  FromSrvReserveData(data, row);
  const SystemTime& s = row.start;
  const std::wstring folder = row.folderText.substr(0, row.folderText.find(L'\t'));
  const std::string batch = row.batchPath.empty() ? "0" : LineText(row.batchPath);
  char line[4096];
  FormatA(line, sizeof line,
          "%04d/%02d/%02d\t%02d:%02d:%02d\t%02u:%02u:%02u\t%s\t%s\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%u\t%u\t%s\t0\t%s"
          "\t%s\t%u\t%u\t0\t%u\t%u\t%u\t%u\r\n",
          s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond, row.duration / 3600, row.duration / 60 % 60,
          row.duration % 60, LineText(row.title).c_str(), LineText(row.station).c_str(), row.originalNetworkId,
          row.transportStreamId, row.serviceId, row.eventId, row.priority, row.follow, row.reserveId,
          row.recordMode, row.pittari, batch.c_str(), LineText(row.comment).c_str(), LineText(folder).c_str(),
          static_cast<unsigned>(row.postAction), row.resumeRestart, row.marginEnable, row.marginStart,
          row.marginEnd, row.serviceFlags);
  return line;
}

SrvReserveData ParseLine(const ReserveTextLine& line) {
  const auto text = [&line](int n) { return Cp932ToWide(line.Field(n)); };
  const auto number = [&line](int n) { return static_cast<std::uint32_t>(line.Number(n)); };
  ReserveRow row;
  row.title = text(3);
  row.start = ReserveTextLineStart(line);
  row.duration = number(2) * 3600 + static_cast<std::uint32_t>(line.Number(2, 3) * 60 + line.Number(2, 6));
  row.station = text(4);
  row.originalNetworkId = static_cast<std::uint16_t>(number(5));
  row.transportStreamId = static_cast<std::uint16_t>(number(6));
  row.serviceId = static_cast<std::uint16_t>(number(7));
  row.eventId = static_cast<std::uint16_t>(number(8));
  row.priority = static_cast<std::uint8_t>(number(9));
  row.follow = static_cast<std::uint8_t>(number(10));
  row.reserveId = line.Number(11);
  row.recordMode = number(12);
  row.pittari = number(13);
  if (line.Field(14) != "0") row.batchPath = text(14);
  row.comment = text(16);
  row.folderText = text(17);
  row.postAction = static_cast<std::uint16_t>(number(18));
  row.resumeRestart = number(19);
  row.marginEnable = number(21);
  row.marginStart = number(22);
  row.marginEnd = number(23);
  row.serviceFlags = number(24);
  SrvReserveData data;
  ToSrvReserveData(row, data);
  data.programStart = data.start;
  return data;
}

}  // namespace

std::string FormatReserveFile(const std::vector<SrvReserveData>& reservations) {
  std::string text;
  for (const SrvReserveData& data : reservations) text += FormatLine(data);
  return text;
}

std::vector<SrvReserveData> ParseReserveFile(const std::string& text) {
  std::vector<SrvReserveData> reservations;
  for (const ReserveTextLine& line : SplitReserveText(text)) {
    if (line.IsReservation()) reservations.push_back(ParseLine(line));
  }
  return reservations;
}

}  // namespace plimod::test
