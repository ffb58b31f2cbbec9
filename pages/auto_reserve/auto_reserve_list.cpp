#include "pages/auto_reserve/auto_reserve_list.h"

#include <string>

#include "epg/epg_index.h"
#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/forms/condition_fields.h"
#include "pages/forms/settings_form.h"
#include "pages/search/search_hit_preview.h"
#include "platform/text_codec.h"
#include "recorder/options/edcb_nav_links.h"
#include "server/carry_over.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

void WriteConditionRows(ReplyWriter& out, const std::string& cmd, const std::string& query,
                        const IniFile& settings) {
  const int count = AutoReserveConditionCount(settings);
  for (int number = 1; number <= count; ++number) {
    const ConditionPlace place{&settings, AutoReserveSectionName(number)};
    SendPageText(out, "<A HREF='?cmd=%s&%s&sh_idx=%d'>No.%02d</A>　", cmd.c_str(), query.c_str(), number, number);
    if (place.Get(L"ENABLE")) {
      SendPageText(out, "<A HREF='?cmd=%s&%s&sh_idx=%d&sh_flip=1'>", cmd.c_str(), query.c_str(), number);
      SendPageText(out, "%s/A>　", place.GetInt(L"ENABLE", 0) != 0 ? "○<" : "×<");
      SendPageText(out, "%s", PageText(ConditionSummary(place)).c_str());
    } else {
      SendPageText(out, "未設定 ");
    }
    SendPageText(out, "<BR>\n");
  }
}

// Rows and table stay open, as the page always wrote them.
void WriteHistoryTable(ReplyWriter& out, const std::string& cmd, const std::string& query,
                       const IniFile& settings) {
  const AutoReserveHistory history = LoadAutoReserveHistory(settings);
  if (history.events.empty()) return;
  const HistoryLookup numbers = ReadStoredHistoryLookup(settings);
  SendPageText(out, "<TABLE cellpadding=2 cellspacing=2><thead>\n");
  SendPageText(out, "<tr><td>日時</td><td>放送局</td><td>番組名</td><td>説明</td><td>No</td></tr></thead><tbody>\n");
  for (const EpgEvent& event : history.events) {
    const std::uint64_t serviceKey = ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
    const std::string key = WideToUtf8String(HistoryKeyText(ProgramKey(event.eventId, serviceKey)));
    SendPageText(out, "<tr><td valign=top>");
    SendPageText(out, "<A HREF='?cmd=%s&%s&historyid=%s&del=1'>", cmd.c_str(), query.c_str(), key.c_str());
    WriteHitTimes(out, event);
    if (auto station = ServiceMap.find(serviceKey); station != ServiceMap.end()) {
      SendPageText(out, "<td valign=top>%s</td>\n", PageText(station->second).c_str());
    }
    SendPageText(out, "<td valign=top>%s</td>", PageText(event.Title()).c_str());
    SendPageText(out, "<td valign=top>%s</td>", PageText(event.ShortText()).c_str());
    if (const int number = ConditionOfEvent(numbers, event); number > 0) {
      SendPageText(out, "<td align=right><a href='?cmd=autore&sh_idx=%d'>%d</a></td>", number, number);
    }
  }
}

}  // namespace

void WriteAutoReserveList(ReplyWriter& out, const RequestParameters& params, const IniFile& settings) {
  const std::string cmd = PageText(params.Value("cmd"));
  const std::string query = MakeCarryOverQuery(params);
  WriteSettingsPageHead(out, "自動予約設定", false);
  WriteEdcbNavLinks(out, params);
  SendPageText(out, "<HR>\n");
  SendPageText(out, "<A HREF='?cmd=%s&update=1&%s'>予約更新</A>", cmd.c_str(), query.c_str());
  SendPageText(out, "　<A HREF='?cmd=%s&renum=1&%s'>番号振り直し</A>", cmd.c_str(), query.c_str());
  SendPageText(out, "<BR><BR>\n");
  WriteConditionRows(out, cmd, query, settings);
  SendPageText(out, "<BR>最近自動予約したもの(日時クリックで履歴削除)　\n");
  SendPageText(out, "<BR>\n");
  WriteHistoryTable(out, cmd, query, settings);
  SendPageText(out, "</BODY></HTML>\n");
}

}  // namespace plimod
