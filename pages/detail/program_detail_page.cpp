#include "pages/detail/program_detail_page.h"

#include <cinttypes>
#include <optional>
#include <string>

#include "epg/epg_index.h"
#include "epg/highlight.h"
#include "epg/mark_switch.h"
#include "guide/civil_time.h"
#include "guide/command_pages.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "guide/epg_page/epg_page_style.h"
#include "guide/weekday_mark.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/detail/host_file_open.h"
#include "pages/detail/iepg_file.h"
#include "pages/recorder/reserve_form.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_lists.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_context.h"
#include "server/request_token.h"
#include "server/text_with_br.h"
#include "services/syoboi_schedule.h"
#include "settings/settings.h"
#include "util/keys.h"
#include "util/page_text.h"
#include "util/web_address.h"

namespace plimod {

namespace {

constexpr std::size_t kUrlBytes = 255;

std::optional<EpgEvent> FindStoredEvent(std::uint64_t serviceKey, std::uint16_t eventId) {
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return std::nullopt;
  const auto event = service->second.find(eventId);
  if (event == service->second.end()) return std::nullopt;
  return event->second;
}

bool IsSet(const IniFile& settings, const wchar_t* section) {
  return settings.GetIntDefault(section, L"ENABLE", 0) == 1;
}

void WriteTextHeader(ReplyWriter& out) { SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n"); }
void WriteHtmlHeader(ReplyWriter& out) { SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n"); }

// A host export writes and opens a file on this machine: only this
// server's own pages may ask for it.
void ServeHostExport(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey, bool digital) {
  WriteTextHeader(out);
  bool done = false;
  if (RequestFromOwnPage()) {
    done = digital ? SaveHostFileAndOpen(out, L"plimo.tvpid", TvpidBody(event, serviceKey))
                   : SaveHostFileAndOpen(out, L"plimo.tvpi", TvpiBody(event, serviceKey, Settings()));
  }
  SendPageText(out, "%s", done ? "実行しました" : "失敗しました");
}

void ServeExplanation(ReplyWriter& out, const EpgEvent& event) {
  WriteHtmlHeader(out);
  const bool hasShort = !event.ShortText().empty();
  const bool hasDetail = !event.ExtendedText().empty();
  if (hasShort) WriteTextWithBr(out, HighlightSearchWords(1, event));
  if (hasShort && hasDetail) SendPageText(out, "<HR>\n");
  if (hasDetail) WriteTextWithBr(out, HighlightSearchWords(2, event));
}

void WriteDateRow(ReplyWriter& out, const EpgEvent& event) {
  const SystemTime& s = event.start;
  SystemTime end = s;
  AddSecondsToSystemTime(end, event.durationSeconds);
  SendPageText(out, "<tr><td valign=top>日時</td><td>");
  SendPageText(out, "%04d/%02d/%02d%s %02d:%02d:%02d", s.wYear, s.wMonth, s.wDay, WeekdayMark(s.wDayOfWeek), s.wHour,
               s.wMinute, s.wSecond);
  SendPageText(out, "～%02d:%02d:%02d (%d分)</td></tr>\n", end.wHour, end.wMinute, end.wSecond,
               static_cast<int>((std::uint64_t{event.durationSeconds} + 59) / 60));
}

void WriteSyoboiRow(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey) {
  const std::optional<SyoboiProgram> program = FindSyoboiProgram(serviceKey, event.start);
  if (!program) return;
  SendPageText(out, "<tr><td valign=top>しょぼかる</td><td>\n");
  SendPageText(out, "<a href='http://%s/tid/%d#%d' target=_blank>%s</a>",
               PageText(CurrentEpgPageHooks().syoboiHost).c_str(), program->tid, program->pid,
               PageText(program->title).c_str());
  if (program->count != 0) SendPageText(out, " #%d", program->count);
  SendPageText(out, " %s</td></tr>\n", PageText(program->subTitle + L" " + program->progComment).c_str());
}

void WriteProgrammeTable(ReplyWriter& out, const EpgEvent& event, std::uint64_t serviceKey,
                         const std::wstring& station) {
  SendPageText(out, "<table border=0><tbody>\n");
  WriteDateRow(out, event);
  SendPageText(out, "<tr><td valign=top><nobr>番組名</nobr></td><td>%s</td></tr>\n",
               HighlightSearchWords(0, event).c_str());
  SendPageText(out, "<tr><td valign=top>局名</td><td>%s</td></tr>\n", PageText(station).c_str());
  SendPageText(out, "<tr><td valign=top>説明</td><td>\n");
  WriteTextWithBr(out, HighlightSearchWords(1, event));
  SendPageText(out, "</td></tr>\n");
  SendPageText(out, "<tr><td valign=top>詳細</td><td>\n");
  WriteTextWithBr(out, HighlightSearchWords(2, event));
  SendPageText(out, "</td></tr>\n");
  WriteSyoboiRow(out, event, serviceKey);
  SendPageText(out, "</tbody></table>\n");
}

void WriteExportLinks(ReplyWriter& out, std::uint64_t serviceKey, unsigned eventId, const IniFile& settings) {
  const char* labels[][2] = {{"<hr>予約", "iepg'>iEPG"},
                             {"", "depg'>iEPGデジタル"},
                             {"", "iepgh'>iEPG(ホスト)"},
                             {"", "depgh'>iEPGデジタル(ホスト)"}};
  for (const auto& [before, link] : labels) {
    SendPageText(out, "%s　<a href='?sid=%" PRIx64 "&eid=%x&pd=%s</a>", before, serviceKey, eventId, link);
  }
  SendPageText(out, " / <a href='?cmd=nrc&sid=%" PRIx64 "'>ネットワークリモコン</a>", serviceKey);
  SendPageText(out, "　<a href='?cmd=search&sh_idx=0&sid=%" PRIx64 "&eid=%x'>検索条件に登録</a>", serviceKey,
               eventId);
  if (IsSet(settings, L"EPGDATACAP")) {
    SendPageText(out, "　<a href='?cmd=autore&sh_idx=0&sid=%" PRIx64 "&eid=%x'>自動予約に登録</a>", serviceKey,
                 eventId);
  }
  SendPageText(out, "<BR>\n");
}

void WriteReservation(ReplyWriter& out, const ReserveEntry& entry) {
  char formId[40];
  std::snprintf(formId, sizeof formId, "E_%016" PRIx64 "_%04x", entry.ProgramKey(),
                static_cast<unsigned>(entry.reserveId));
  const char* token = GetRequestToken().c_str();
  SendPageText(out, "EpgTimer_Bon.exeで予約済み");
  if (entry.Disabled()) SendPageText(out, "(無効状態)");
  SendPageText(out, "　<a href='?cmd=edc_edit&edcid=%s&silent=1'>予約を編集</a>", formId);
  // The token lets the list page delete at once instead of asking again.
  SendPageText(out, "　<a href='?cmd=epgtimer&delete=1&confirm=2&%s=1&silent=1&token=%s'>予約を削除</a>", formId,
               token);
  if (EpgTimerSrvMode() && !entry.Disabled()) {
    SendPageText(out, "　<a href='?cmd=edc_edit&edcid=%s&invalid=1&token=%s'>予約を無効</a>", formId, token);
  }
  SendPageText(out, "<BR><BR><BR><BR>");
}

void WriteReservationBlock(ReplyWriter& out, RequestParameters& params, std::uint64_t serviceKey,
                           std::uint16_t eventId, IniFile& settings) {
  if (!IsSet(settings, L"EPGDATACAP")) return;
  SendPageText(out, "<HR>\n");
  if (auto load = CurrentDispatcherJobs().loadReserveList) load();
  const ReserveSnapshot lists = CurrentReserveLists();
  if (const ReserveEntry* entry = FindReserve(*lists, serviceKey, eventId)) WriteReservation(out, *entry);
  WriteNewReserveForm(out, params, settings);
}

void WriteAutoReserveLink(ReplyWriter& out, std::uint64_t serviceKey, std::uint16_t eventId,
                          const IniFile& settings) {
  const std::uint64_t key = ProgramKey(eventId, serviceKey);
  const int number = FindAutoReserveNoForKey(settings, static_cast<std::uint32_t>(key),
                                             static_cast<std::uint32_t>(key >> 32));
  if (number > 0) SendPageText(out, "<a href='?cmd=autore&sh_idx=%d'>自動予約:No.%d</a><br>\n", number, number);
}

void WriteTvRockLink(ReplyWriter& out, const EpgEvent& event, const IniFile& settings) {
  if (!IsSet(settings, L"TVROCK")) return;
  std::string url = WideToUtf8String(settings.GetString(L"TVROCK", L"PROGRAMURL").value_or(L""));
  if (!IsWebAddress(url)) return;
  url.resize(Utf8CutPoint(url, kUrlBytes));
  SendPageText(out, "<HR>\n");
  SendPageText(out, "<A HREF='%skws?r=1&c=%d&e=%d' target=_blank>TvRockで予約</A>", PageText(url).c_str(),
               event.serviceId, event.eventId);
}

void ServeFullPage(ReplyWriter& out, RequestParameters& params, const EpgEvent& event,
                   std::uint64_t serviceKey) {
  const auto station = ServiceMap.find(serviceKey);
  if (station == ServiceMap.end()) {
    WriteProgrammeNotFound(out);
    return;
  }
  IniFile& settings = Settings();
  WriteHtmlHeader(out);
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>%s</TITLE>\n", PageText(event.Title()).c_str());
  WriteEpgStyleLines(out);
  SendPageText(out, "</HEAD><BODY>\n");
  WriteProgrammeTable(out, event, serviceKey, station->second);
  if (MarkSwitch == 1) {
    SendPageText(out, "<a href='?cmd=search&sh_idx=%d'>検索条件:No.%d</a><br>\n",
                 static_cast<int>(event.conditionNumber), static_cast<int>(event.conditionNumber));
  }
  WriteAutoReserveLink(out, serviceKey, event.eventId, settings);
  WriteExportLinks(out, serviceKey, event.eventId, settings);
  WriteReservationBlock(out, params, serviceKey, event.eventId, settings);
  WriteTvRockLink(out, event, settings);
}

}  // namespace

int ServeProgramDetailPage(ReplyWriter& out, RequestParameters& params, std::uint64_t serviceKey,
                           std::uint32_t eventId) {
  // Marks go on a copy: the store's events are shared with other threads.
  std::optional<EpgEvent> event = FindStoredEvent(serviceKey, static_cast<std::uint16_t>(eventId));
  if (!event) {
    WriteProgrammeNotFound(out);
    return 1;
  }
  event->conditionNumber = 0;
  MarkSwitch = 0;
  if (const std::string cn = params.Value("cn"); !cn.empty()) {
    event->conditionNumber = static_cast<std::uint32_t>(StringToInt(cn));
    MarkSwitch = 1;
  }
  const std::string pd = params.Value("pd");
  if (pd == "iepg") {
    SendTvpi(out, *event, serviceKey, Settings());
  } else if (pd == "depg") {
    SendTvpid(out, *event, serviceKey);
  } else if (pd == "iepgh" || pd == "depgh") {
    ServeHostExport(out, *event, serviceKey, pd == "depgh");
  } else if (pd == "detail") {
    WriteHtmlHeader(out);
    WriteTextWithBr(out, HighlightSearchWords(2, *event));
  } else if (pd == "explan") {
    ServeExplanation(out, *event);
  } else {
    ServeFullPage(out, params, *event, serviceKey);
  }
  return 1;
}

}  // namespace plimod
