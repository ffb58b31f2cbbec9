#include "pages/detail/iepg_file.h"

#include <cstdio>
#include <string_view>

#include "epg/epg_index.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/service_name.h"

namespace plimod {

namespace {

constexpr std::size_t kTextBytes = 512;

std::string Cp932Text(std::wstring_view text) {
  std::string bytes = WideToCp932(text);
  bytes.resize(Cp932CutPoint(bytes, kTextBytes));
  return bytes;
}

// For a "key: value" line: control characters become blanks.
std::string Cp932LineValue(std::wstring text) {
  for (wchar_t& c : text) {
    if (c < 0x20 || c == 0x7F) c = L' ';
  }
  return Cp932Text(text);
}

std::string Line(std::string_view key, std::string_view value) {
  std::string line(key);
  line += ": ";
  line += value;
  line += "\r\n";
  return line;
}

std::string Formatted(const char* format, int value) {
  char text[16];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::wstring TrimmedServiceName(std::uint64_t serviceKey) {
  const auto service = ServiceMap.find(serviceKey);
  if (service == ServiceMap.end()) return {};
  std::wstring name = service->second;
  TrimServiceName(name, BandIndexOf(serviceKey) == 0);
  return name;
}

std::string V1Station(std::uint64_t serviceKey, const IniFile& settings) {
  const std::wstring own = settings.GetString(L"IEPG_CH_NAME", ChannelKeyText(serviceKey).c_str()).value_or(L"");
  return Cp932LineValue(own.empty() ? TrimmedServiceName(serviceKey) : own);
}

// Terrestrial and BS services have a station code; others get none.
std::string V2Station(std::uint64_t serviceKey) {
  const int sid = SidOf(serviceKey);
  switch (BandIndexOf(serviceKey)) {
    case 0: return Formatted("DFS%05x", sid);
    case 1: return Formatted("BSDT%03d", sid);
    default: return {};
  }
}

std::string DateLines(const EpgEvent& event) {
  const SystemTime& s = event.start;
  const IepgEndTime end = IepgEnd(event);
  char start[8];
  char stop[8];
  std::snprintf(start, sizeof start, "%02d:%02d", s.wHour % 100, s.wMinute % 100);
  std::snprintf(stop, sizeof stop, "%02d:%02d", end.hour, end.minute);
  return Line("year", Formatted("%d", s.wYear)) + Line("month", Formatted("%02d", s.wMonth)) +
         Line("date", Formatted("%02d", s.wDay)) + Line("start", start) + Line("end", stop);
}

}  // namespace

IepgEndTime IepgEnd(const EpgEvent& event) {
  const int hour = event.start.wHour;
  const int minute = event.start.wMinute;
  if (event.durationSeconds == 0) return {hour, minute};
  const std::uint32_t minutes = static_cast<std::uint32_t>(minute) + 1 + (event.durationSeconds - 1) / 60;
  return {static_cast<int>((hour + minutes / 60) % 24), static_cast<int>(minutes % 60)};
}

std::string TvpiBody(const EpgEvent& event, std::uint64_t serviceKey, const IniFile& settings) {
  return "Content-type: application/x-tv-program-info; charset=shift_jis\r\n" + Line("version", "1") +
         Line("station", V1Station(serviceKey, settings)) + DateLines(event) +
         Line("program-title", Cp932LineValue(event.Title())) +
         Line("program-subtitle", Cp932LineValue(event.ShortText()));
}

std::string TvpidBody(const EpgEvent& event, std::uint64_t serviceKey) {
  return "Content-type: application/x-tv-program-digital-info; charset=shift_jis\r\n" + Line("version", "2") +
         Line("station", V2Station(serviceKey)) +
         Line("station-name", Cp932LineValue(TrimmedServiceName(serviceKey))) + DateLines(event) +
         Line("program-title", Cp932LineValue(event.Title())) + Line("program-id", Formatted("%d", event.eventId)) +
         "\r\n" + Cp932Text(event.ShortText());
}

void SendTvpi(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey, const IniFile& settings) {
  SendPageText(out, "Content-Type: application/x-tv-program-info\n");
  SendPageText(out, "Content-Disposition: filename=\"plimo.tvpi\"\n");
  SendPageText(out, "\n");
  SendBytes(out, TvpiBody(event, serviceKey, settings));
}

void SendTvpid(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey) {
  SendPageText(out, "Content-Type: application/x-tv-program-digital-info\r\n");
  SendPageText(out, "Content-Disposition: filename=\"plimo.tvpid\"\r\n");
  SendPageText(out, "\r\n");
  SendBytes(out, TvpidBody(event, serviceKey));
}

}  // namespace plimod
