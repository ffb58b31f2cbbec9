#include "pages/search/search_hit_preview.h"

#include <cinttypes>
#include <string>

#include "epg/epg_index.h"
#include "epg/search_condition.h"
#include "epg/search_runner.h"
#include "guide/civil_time.h"
#include "guide/program_links.h"
#include "guide/weekday_mark.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr std::size_t kShortTextBytes = 4095;

}  // namespace

void WriteHitTimes(ReplyWriter& out, const EpgEvent& event) {
  const SystemTime& s = event.start;
  SendPageText(out, "%04d/%02d/%02d%s<BR>%02d:%02d:%02d", s.wYear, s.wMonth, s.wDay, WeekdayMark(s.wDayOfWeek),
               s.wHour, s.wMinute, s.wSecond);
  SystemTime end = s;
  AddSecondsToSystemTime(end, event.durationSeconds);
  SendPageText(out, "～%02d:%02d:%02d</a></td>\n", end.wHour, end.wMinute, end.wSecond);
}

const EpgEvent* FindHitEvent(SearchHit hit) {
  const auto service = EpgEventIndex->find(ServiceKeyOf(hit));
  if (service == EpgEventIndex->end()) return nullptr;
  const auto event = service->second.find(EidOf(hit));
  return event == service->second.end() ? nullptr : &event->second;
}

void WriteSearchHitHead(ReplyWriter& out, std::size_t hitCount) {
  SendPageText(out, "ヒット数：%d<BR>\n", static_cast<int>(hitCount));
  SendPageText(out, "<TABLE cellpadding=2 cellspacing=2><thead>\n");
  SendPageText(out, "<tr><td>日時</td><td>放送局</td><td>番組名</td><td>説明</td></tr></thead><tbody>\n");
}

void WriteSearchHitRow(ReplyWriter& out, SearchHit hit, const EpgEvent& event, const LinkSettings& links,
                       const char* colour) {
  const std::uint64_t serviceKey = ServiceKeyOf(hit);
  SendPageText(out, "<tr><td valign=top");
  if (colour != nullptr) SendPageText(out, " bgcolor='%s'", colour);
  SendPageText(out, ">");
  SendPageText(out, "<a href='?sid=%" PRIx64 "&eid=%x' target=_blank>", serviceKey, event.eventId);
  WriteHitTimes(out, event);
  if (auto station = ServiceMap.find(serviceKey); station != ServiceMap.end()) {
    SendPageText(out, "<td valign=top>%s</td>\n", PageText(station->second).c_str());
  }
  SendPageText(out, "<td valign=top>%s", PageText(event.Title()).c_str());
  WriteProgramSmallLinks(out, event, links);
  SendPageText(out, "</td>");
  std::string shortText = WideToUtf8String(event.ShortText());
  shortText.resize(Utf8CutPoint(shortText, kShortTextBytes));
  SendPageText(out, "<td valign=top>%s</td>", PageText(shortText).c_str());
  SendPageText(out, "</tr>\n");
}

void WriteSearchHitPreview(ReplyWriter& out, const ConditionPlace& place, const IniFile& settings) {
  const LinkSettings links = LoadLinkSettings(settings, false);
  const SearchCondition condition =
      ReadSearchCondition(*place.document, place.section, SearchNormalizeList(*place.document));
  const std::vector<SearchHit> hits = RunSearchCondition(condition, 0, LocalNowTicks());
  WriteSearchHitHead(out, hits.size());
  int rows = 0;
  for (SearchHit hit : hits) {
    const EpgEvent* event = FindHitEvent(hit);
    if (event == nullptr) continue;
    WriteSearchHitRow(out, hit, *event, links, nullptr);
    // The row that passes the limit is still written.
    if (++rows > kPreviewRowLimit) break;
  }
  SendPageText(out, "</tbody></TABLE>\n");
  if (rows > kPreviewRowLimit) SendPageText(out, "検索結果が500件を超えましたので出力を中止しました.<BR>\n");
  SendPageText(out, "</BODY></HTML>\n");
}

}  // namespace plimod
