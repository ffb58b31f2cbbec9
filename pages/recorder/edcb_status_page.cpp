#include "pages/recorder/edcb_status_page.h"

#include <cstdlib>
#include <string>

#include "epg/epg_busy_flag.h"
#include "epg/epg_index.h"
#include "guide/civil_time.h"
#include "guide/weekday_mark.h"
#include "pages/recorder/edcb_windows.h"
#include "pages/recorder/reserve_load_failure.h"
#include "pages/recorder/free_space.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "recorder/options/edcb_nav_links.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_lists.h"
#include "server/page_reply.h"
#include "util/conversions.h"
#include "util/page_text.h"
#include "util/text_html.h"

namespace plimod {
namespace {

constexpr int kUdpClickPoint = 5;
constexpr std::size_t kFolderMaxBytes = 1023;

bool UdpOn(const EpgDataCapWindow& window) { return window.udp.checkState != 0; }

void SwitchUdp(RecorderWindows& windows, const RequestParameters& params) {
  const RecorderWindowId wanted = ParseHex32(params.Value("wnd"));
  const bool on = std::atoi(params.Value("udp").c_str()) != 0;
  for (const EpgDataCapWindow& window : CollectEpgDataCapWindows(windows)) {
    if (window.window != wanted || UdpOn(window) == on) continue;
    ClickWindow(windows, window.udp.id, kUdpClickPoint, kUdpClickPoint);
  }
}

// The title of the event on air now on the last service named `channel`.
std::string CurrentProgramTitle(const std::string& channel) {
  const std::wstring name = Utf8ToWide(channel);
  const std::uint64_t* key = nullptr;
  for (const auto& [serviceKey, serviceName] : ServiceMap) {
    if (serviceName == name) key = &serviceKey;
  }
  if (!key) return "";
  const auto service = EpgEventIndex->find(*key);
  if (service == EpgEventIndex->end()) return "";
  const std::int64_t now = LocalNowTicks();
  std::wstring title;
  for (const auto& [eventId, event] : service->second) {
    const std::int64_t start = EventStartTicks(event);
    if (start <= now && now <= start + event.durationSeconds * kTicksPerSecond) title = event.Title();
  }
  return WideToUtf8String(title);
}

void WriteWindowLine(ReplyWriter& out, RecorderWindows& windows, const EpgDataCapWindow& window,
                     const std::string& cmd) {
  const bool on = UdpOn(window);
  const std::string tuner = ComboText(windows, window.tunerList.id);
  const std::string channel = ComboText(windows, window.channelList.id);
  SendPageText(out, "<a href='?cmd=%s&wnd=%s&udp=%d'>UDP:%s</a>　", PageText(cmd).c_str(),
               RecorderWindowIdText(window.window).c_str(), on ? 0 : 1, on ? "ON" : "OFF");
  if (window.cancelButton && !window.cancelButton->disabled) {
    SendPageText(out, "EPG取得中　");
  } else if (window.scanButton && window.scanButton->disabled) {
    SendPageText(out, "録画中　");
  }
  SendPageText(out, "チューナー:%s　チャンネル:%s　番組:%s <BR>\n", PageText(tuner).c_str(), PageText(channel).c_str(),
               PageText(CurrentProgramTitle(channel)).c_str());
}

void WriteWindows(ReplyWriter& out, const RequestParameters& params) {
  RecorderWindows& windows = CurrentRecorderWindows();
  const std::vector<EpgDataCapWindow> found = CollectEpgDataCapWindows(windows);
  if (found.empty()) SendPageText(out, "なし<BR>\n");
  for (const EpgDataCapWindow& window : found) WriteWindowLine(out, windows, window, params.Value("cmd"));
}

void WriteReserve(ReplyWriter& out, const ReserveEntry& entry) {
  const SystemTime& s = entry.start;
  SystemTime end = s;
  AddSecondsToSystemTime(end, entry.durationSeconds);
  SendPageText(out, "%04d/%02d/%02d%s <nobr>%02d:%02d:%02d", s.wYear, s.wMonth, s.wDay, WeekdayMark(s.wDayOfWeek),
               s.wHour, s.wMinute, s.wSecond);
  SendPageText(out, "～%02d:%02d:%02d</nobr>", end.wHour, end.wMinute, end.wSecond);
  SendPageText(out, "　%s", PageText(AnsiToUtf8(entry.station)).c_str());
  SendPageText(out, "　%s<BR>\n", PageText(AnsiToUtf8(entry.title)).c_str());
}

// The reservations that share the earliest start after now (the list is
// in start order).
void WriteNextReserves(ReplyWriter& out, const ReserveLists& lists, const IniFile& settings) {
  SendPageText(out, "<BR>次の予約<BR>\n");
  WriteReserveLoadFailure(out, settings);
  const std::int64_t now = LocalNowTicks();
  std::optional<std::int64_t> written;
  for (const ReserveEntry& entry : lists.reserveList) {
    const std::int64_t start = SystemTimeToTicks(entry.start).value_or(0);
    if (written && start > *written) break;
    if (start <= now) continue;
    WriteReserve(out, entry);
    written = start;
  }
  if (!written) SendPageText(out, "なし<BR>\n");
}

void WriteFreeSpace(ReplyWriter& out, const IniFile& settings) {
  if (!settings.GetIndexed(L"EDCB_RECDIR", 0)) return;
  SendPageText(out, "フォルダ空き容量<BR>\n");
  for (int n = 0;; ++n) {
    const std::optional<std::wstring> folder = settings.GetIndexed(L"EDCB_RECDIR", n);
    if (!folder) break;
    std::wstring shown = *folder;
    HtmlEscape(shown);
    std::string text = WideToUtf8String(shown);
    text.resize(Utf8CutPoint(text, kFolderMaxBytes));
    SendPageText(out, "%s　", text.c_str());
    if (const auto space = ReadFolderSpace(WideToUtf8String(*folder))) {
      SendPageText(out, "%s", FreeSpaceText(*space).c_str());
    }
    SendPageText(out, "<BR>\n");
  }
}

}  // namespace

int ServeEpgDataCapStatusPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  if (!params.Value("wnd").empty()) SwitchUdp(CurrentRecorderWindows(), params);
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD><TITLE>EpgDataCap_Bon</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  WriteEdcbNavLinks(out, params);
  SendPageText(out, "<HR>\n");
  const SystemTime now = LocalNow();
  SendPageText(out, "更新時刻 %04d/%02d/%02d%s %02d:%02d:%02d<BR><BR>", now.wYear, now.wMonth, now.wDay,
               WeekdayMark(DayOfWeek(now.wYear, now.wMonth, now.wDay)), now.wHour, now.wMinute, now.wSecond);
  SendPageText(out, "現在稼働中のEpgDataCap_Bon.exe<BR>\n");
  WriteWindows(out, params);
  // The rest reads no guide, and the list may be a moment in coming.
  LetGoOfEpgBusyFlag();
  WriteNextReserves(out, *ReserveListToShow(settings), settings);
  SendPageText(out, "<BR>\n");
  WriteFreeSpace(out, settings);
  return 1;
}

}  // namespace plimod
