#include "pages/mobile/mobile_parts.h"

#include "epg/epg_index.h"
#include "guide/civil_time.h"
#include "guide/command_pages.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/text_with_br.h"
#include "settings/settings.h"
#include "util/keys.h"
#include "util/page_text.h"
#include "util/text_kana.h"

namespace plimod {

namespace {

constexpr const char* kMobileCarryNames[] = {"c", "d", "b", "s", "w", "f"};
constexpr const char* kColourAttrs[] = {"", " color=#40ff40", " color=#ff0000", " color=#c0c0c0"};
constexpr const char* kWeekdays[] = {"<font color=red>日</font> ", "月 ", "火 ", "水 ", "木 ", "金 ",
                                     "<font color=skyblue>土</font> "};
constexpr int kInfoTitleColumns = 256;
constexpr int kInfoTextColumns = 512;

std::string FittedText(const std::wstring& text, int columns) { return PageText(FitToMobileWidth(text, columns)); }

int ColourOf(const EpgEvent& event, const ReserveLists& lists) {
  if ((event.displayFlags & kEventReservedFlag) == 0) return kMobilePlain;
  if (event.displayFlags & kEventDisabledFlag) return kMobileGrey;
  const std::uint64_t key =
      ProgramKey(event.eventId, ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId));
  return IsUnrecordableProgram(lists, key) ? kMobileRed : kMobileGreen;
}

}  // namespace

int MobileWidthOf(const RequestParameters& params) {
  const std::string value = params.Value("w");
  if (value.empty()) return kMobileDefaultWidth;
  const int width = StringToInt(value);
  return width < kMobileMinWidth ? kMobileMinWidth : width;
}

void MobilePageHead(ReplyWriter& out, std::string_view titleUtf8) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  // Without the viewport line a phone lays the page out at a desktop width
  // and shrinks it to its screen.
  SendPageText(out, "<HTML><HEAD>\n<meta name=\"viewport\" content=\"width=device-width\">\n<TITLE>%.*s</TITLE>\n",
               static_cast<int>(titleUtf8.size()), titleUtf8.data());
  SendPageText(out, "</HEAD><BODY bgcolor=#000000 text=#ffffff link=#00ffff vlink=#00ffff>\n");
}

void MobilePageEnd(ReplyWriter& out) { SendPageText(out, "</BODY></HTML>\n"); }

std::string MobileQueryCarry(const RequestParameters& params, std::string_view leaveOut) {
  std::string carry;
  for (const char* name : kMobileCarryNames) {
    std::string next = carry;
    AppendCarryOverParam(params, next, name, leaveOut);
    // The carried text always had room for 255 bytes; a value that would
    // pass it is dropped whole rather than cut inside an escape.
    if (next.size() <= kCarryOverQueryMax) carry = std::move(next);
  }
  return carry;
}

const char* MobileWeekday(int dayOfWeek) { return dayOfWeek >= 0 && dayOfWeek < 7 ? kWeekdays[dayOfWeek] : ""; }

void MobileTimeLabel(ReplyWriter& out, const SystemTime& date, int colour, int minutes) {
  SendPageText(out, "<font%s>", colour >= 0 && colour < 4 ? kColourAttrs[colour] : "");
  SendPageText(out, "%02d/%02d%s%02d:%02d～</font>", date.wMonth, date.wDay, MobileWeekday(date.wDayOfWeek),
               minutes / 60, minutes % 60);
}

std::wstring FitToMobileWidth(const std::wstring& text, int columns) {
  std::wstring fitted = ToHalfWidthKana(text);
  ShortenToWidth(fitted, columns);
  return fitted;
}

void MobileProgramLink(ReplyWriter& out, const MobileRequest& request, const EpgEvent& event,
                       const ReserveLists& lists) {
  MobileTimeLabel(out, event.start, ColourOf(event, lists), static_cast<int>(event.displayStartMinutes));
  const std::uint64_t serviceKey = ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
  if (event.originalNetworkId != 0xFFFF) {
    const auto station = ServiceMap.find(serviceKey);
    const std::wstring name = station == ServiceMap.end() ? std::wstring() : station->second;
    SendPageText(out, " %s<br>", FittedText(name, request.width - 16).c_str());
  }
  SendPageText(out, "<a href='?c=%s&sid=%llx&eid=%x'>%s</a><br>\n", PercentEncodeValue(request.Page()).c_str(),
               static_cast<unsigned long long>(serviceKey), event.eventId,
               FittedText(event.Title(), request.width).c_str());
}

void MobileProgramInfo(ReplyWriter& out, const EpgEvent& event) {
  const SystemTime& start = event.start;
  SendPageText(out, "%02d/%02d%s %02d:%02d:%02d", start.wMonth, start.wDay, MobileWeekday(start.wDayOfWeek),
               start.wHour, start.wMinute, start.wSecond);
  SystemTime end = start;
  AddSecondsToSystemTime(end, event.durationSeconds);
  SendPageText(out, "～%02d:%02d:%02d<BR>\n", end.wHour, end.wMinute, end.wSecond);
  const auto station =
      ServiceMap.find(ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId));
  if (station != ServiceMap.end()) {
    SendPageText(out, "<font color=#ff8040>局名:</font>%s<BR>\n",
                 FittedText(station->second, kInfoTitleColumns).c_str());
  }
  SendPageText(out, "<font color=#ff8040>番組名:</font>%s<BR>\n", FittedText(event.Title(), kInfoTitleColumns).c_str());
  SendPageText(out, "<font color=#ff8040>説明:</font>%s<BR>\n", FittedText(event.ShortText(), kInfoTextColumns).c_str());
  SendPageText(out, "<font color=#ff8040>詳細:</font><BR>\n");
  WriteTextWithBr(out, FittedText(event.ExtendedText(), kInfoTextColumns));
}

const EpgEvent* FindStoredEvent(std::uint64_t serviceKey, std::uint16_t eventId) {
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return nullptr;
  const auto event = service->second.find(eventId);
  return event == service->second.end() ? nullptr : &event->second;
}

ReserveSnapshot ReloadMobileReserveLists() {
  if (const auto load = CurrentDispatcherJobs().loadReserveList) load();
  return CurrentReserveLists();
}

ReserveSnapshot ShownMobileReserveLists() {
  if (const auto load = CurrentDispatcherJobs().loadShownReserveList) load();
  return CurrentReserveLists();
}

int RecorderLinkSetting() { return Settings().GetIntDefault(L"EPGDATACAP", L"ENABLE", 0); }

}  // namespace plimod
