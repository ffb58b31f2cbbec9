#include "pages/recorder/reserve_list_page.h"

#include <cstdlib>
#include <string>
#include <utility>

#include "epg/epg_busy_flag.h"
#include "guide/civil_time.h"
#include "guide/weekday_mark.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/recorder/edcid.h"
#include "pages/recorder/reserve_list_actions.h"
#include "pages/recorder/reserve_load_failure.h"
#include "platform/system_time.h"
#include "recorder/options/edcb_nav_links.h"
#include "recorder/options/rec_option_fields.h"
#include "recorder/base/page_turns.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_lists.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {
namespace {

constexpr int kTitleColumns = 80;
constexpr const char* kSeparatorRow =
    "<tr><td colspan=9><table border=0 bgcolor=#008000 width=100% height=4><td></td></table></td></tr>\n";

// Which entries a filter shows, and where the green bars between ended,
// running and later entries go. Assumes the list in start order.
class RowFilter {
 public:
  RowFilter(int filter, std::int64_t now) : filter_(filter), now_(now) {}

  // Whether the entry is shown; sets `bar` when a separator goes before it.
  bool Show(std::int64_t start, std::int64_t end, bool& bar) {
    bar = false;
    if (filter_ == 0) return ShowNotEnded(start, end, bar);
    if (filter_ == 1) return end < now_;
    return ShowAll(start, end, bar);
  }

 private:
  bool ShowNotEnded(std::int64_t start, std::int64_t end, bool& bar) {
    if (end < now_) return false;
    if (state_ == 0) {
      if (start < now_ && end > now_) state_ = 1;
    } else if (state_ == 1 && start > now_) {
      state_ = 2;
      bar = true;
    }
    return true;
  }
  bool ShowAll(std::int64_t start, std::int64_t end, bool& bar) {
    if (state_ == 0 && end > now_) {
      state_ = start > now_ ? 2 : 1;
      bar = true;
    } else if (state_ == 1 && start > now_) {
      state_ = 2;
      bar = true;
    }
    return true;
  }

  int filter_;
  std::int64_t now_;
  int state_ = 0;
};

const char* RowColour(const ReserveLists& lists, const ReserveEntry& entry) {
  if (entry.Disabled()) return " bgcolor=#c0c0c0";
  if (!IsUnrecordableProgram(lists, entry.ProgramKey())) return "";
  return entry.unrecordable == 2 ? " bgcolor=#ff0000" : " bgcolor=#ffff00";
}

std::string Label(std::string_view field, int value) { return std::string(RecOptionLabel(field, value)); }

// What every row reads, read once for the page.
struct ListPageFacts {
  const ReserveLists& lists;
  HistoryLookup history;
  bool tunerNames = false;
};

void WriteRow(ReplyWriter& out, const RequestParameters& params, const ListPageFacts& facts,
              const ReserveEntry& entry, bool confirming) {
  const ReserveLists& lists = facts.lists;
  const std::string edcid = MakeEdcid(entry.ProgramKey(), entry.reserveId);
  const bool checked = params.Value(edcid) == "1";
  if (confirming && !checked) return;
  if (confirming) {
    SendPageText(out, "<tr><td%s><nobr><input type=hidden name='%s' value=1>", RowColour(lists, entry),
                 edcid.c_str());
  } else {
    SendPageText(out, "<tr><td%s><nobr><input type=checkbox name='%s' value=1%s>", RowColour(lists, entry),
                 edcid.c_str(), CheckedAttr(checked));
  }
  const SystemTime& s = entry.start;
  SystemTime end = s;
  AddSecondsToSystemTime(end, entry.durationSeconds);
  SendPageText(out, "%04d/%02d/%02d%s</nobr> <nobr>%02d:%02d:%02d", s.wYear, s.wMonth, s.wDay,
               WeekdayMark(s.wDayOfWeek), s.wHour, s.wMinute, s.wSecond);
  SendPageText(out, "～%02d:%02d:%02d</nobr></td>\n", end.wHour, end.wMinute, end.wSecond);
  SendPageText(out, "<td>%s</td>\n", PageText(AnsiToUtf8(entry.station)).c_str());
  std::wstring title = AnsiToWide(entry.title);
  ShortenToWidth(title, kTitleColumns);
  SendPageText(out, "<td><a href='?cmd=edc_edit&edcid=%s'>%s</a></td>", edcid.c_str(), PageText(title).c_str());
  SendPageText(out, "<td>%d</td>\n", entry.priority);
  SendPageText(out, "<td>%s</td>\n", Label("edc_forrow", entry.follow).c_str());
  SendPageText(out, "<td>%s</td>\n", Label("edc_recmode", entry.recordMode).c_str());
  SendPageText(out, "<td>%s</td>\n", Label("edc_ext1", entry.pittari).c_str());
  SendPageText(out, "<td>%s</td>\n", entry.batch ? "あり " : "なし ");
  std::string last = PageText(AnsiToUtf8(entry.comment));
  SendPageText(out, "<td>%s\n", last.c_str());
  if (facts.tunerNames && entry.tunerKey >= 0) {
    if (!last.empty()) SendPageText(out, "<br>");
    last = PageText(entry.tunerLabel);
    SendPageText(out, "%s", last.c_str());
  }
  const int autoReserveNo = ConditionOfKey(facts.history, entry.ProgramKey());
  if (autoReserveNo > 0) {
    if (!last.empty()) SendPageText(out, "<br>");
    SendPageText(out, "<a href='?cmd=autore&sh_idx=%d'>自動予約 No.%d</a>", autoReserveNo, autoReserveNo);
  }
  SendPageText(out, "</td>\n</tr>\n");
}

void WriteHead(ReplyWriter& out, const RequestParameters& params, int filter, bool confirming) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>EpgDataCap_bon予約リスト</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  if (params.Value("nr") != "1") {
    WriteEdcbNavLinks(out, params);
    SendPageText(out, "<HR>\n");
  }
  if (confirming) {
    if (!params.Value("delete").empty()) {
      SendPageText(out, "削除確認<BR><BR>\n");
    } else if (!params.Value("invalid").empty()) {
      SendPageText(out, "無効化確認<BR><BR>\n");
    }
    return;
  }
  const std::string query = MakeCarryOverQuery(params);
  const char* q = query.c_str();
  SendPageText(out, "EpgTimer_bon予約リスト　");
  if (filter == 0) SendPageText(out, "予約 "); else SendPageText(out, "<A HREF='?cmd=epgtimer&f=0&%s'>予約</A> ", q);
  if (filter == 1) SendPageText(out, "結果 "); else SendPageText(out, "<A HREF='?cmd=epgtimer&f=1&%s'>結果</A> ", q);
  if (filter != 0 && filter != 1) SendPageText(out, "全て"); else SendPageText(out, "<A HREF='?cmd=epgtimer&f=2&%s'>全て</A>", q);
  SendPageText(out, "<BR>\n");
  if (!EpgTimerSrvMode()) {
    SendPageText(out, "<font color=#ff0000>(削除と編集機能は録画中に使うと危険です。それ以外でも自己責任でどうぞ)</font><BR>\n");
  }
  SendPageText(out, "<BR>\n");
}

void WriteFormHead(ReplyWriter& out, const RequestParameters& params) {
  SendPageText(out, "<form method=post action='/'>\n");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
  WriteHiddenField(out, "cmd");
  WriteHiddenField(out, "f");
  WriteCarryOverHiddenFields(params, out);
  SendPageText(out, "<TABLE cellpadding=2 cellspacing=2><thead>\n");
  SendPageText(out,
               "<tr><td>日時</td><td>放送局</td><td>番組名</td><td>優先度</td><td>追従</td><td>録画モード</td>"
               "<td>ぴったり（？）録画</td><td>バッチ処理</td><td>結果</td></tr></thead><tbody>\n");
}

void WriteButtons(ReplyWriter& out, const RequestParameters& params, bool confirming) {
  if (confirming) {
    SendPageText(out, "<input type=hidden name=confirm value=2><BR>\n");
    if (!params.Value("delete").empty()) {
      SendPageText(out, "<input type=hidden name=delete value=1><input type=submit name=execute value='削除を実行'>");
    } else if (!params.Value("invalid").empty()) {
      SendPageText(out,
                   "<input type=hidden name=invalid value=1><input type=submit name=execute value='無効を実行'>");
    }
    SendPageText(out, "　<input type=submit name=cancel value='キャンセル'>");
  } else {
    SendPageText(out, "<input type=hidden name=confirm value=1><BR>\n");
    SendPageText(out, "<input type=submit name=delete value='チェックしたものを削除'>");
    if (EpgTimerSrvMode()) SendPageText(out, "　<input type=submit name=invalid value='チェックしたものを無効'>");
    SendPageText(out, "\n");
  }
}

void WriteListPage(ReplyWriter& out, const RequestParameters& params, const IniFile& settings,
                   const ReserveLists& lists) {
  const std::string f = params.Value("f");
  const int filter = f.empty() ? 0 : std::atoi(f.c_str());
  const bool confirming = !params.Value("confirm").empty();
  WriteHead(out, params, filter, confirming);
  WriteReserveLoadFailure(out, settings);
  WriteFormHead(out, params);
  RowFilter rows(filter, LocalNowTicks());
  const ListPageFacts facts{lists, ReadStoredHistoryLookup(settings),
                            settings.GetIntDefault(L"EPGDATACAP", L"ADDTUNERNAME", 0) != 0};
  for (const ReserveEntry& entry : lists.reserveList) {
    const std::int64_t start = SystemTimeToTicks(entry.start).value_or(0);
    const std::int64_t end = start + entry.durationSeconds * kTicksPerSecond;
    bool bar = false;
    if (!confirming && !rows.Show(start, end, bar)) continue;
    if (bar) SendPageText(out, "%s", kSeparatorRow);
    WriteRow(out, params, facts, entry, confirming);
  }
  SendPageText(out, "</tbody></TABLE>\n");
  WriteButtons(out, params, confirming);
  SendPageText(out, "</form>\n</BODY></HTML>\n");
}

void WriteActionFailure(ReplyWriter& out, const std::string& reason) {
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendPageText(out, "エラー\n%s\n", reason.c_str());
}

// Carries out a confirmed action; false when the reply is complete. A
// failure is answered whether or not the action was silent: the list alone
// would not tell that the reservation is still there. `shown` gets the
// lists with the action done.
bool ApplyAction(ReplyWriter& out, RequestParameters& params, const IniFile& settings, ReserveSnapshot& shown) {
  ReserveActionResult result;
  if (EpgTimerSrvMode()) {
    const PageServerTurn turn;
    result = ApplyServerReserveAction(params, settings);
  } else {
    result = ApplyProgramTxtReserveAction(out, params, settings);
  }
  if (result.answered) return false;
  if (!result.failure.empty()) {
    WriteActionFailure(out, result.failure);
    return false;
  }
  shown = std::move(result.shown);
  if (params.Value("silent") != "1") return true;
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  if (!params.Value("delete").empty()) {
    SendPageText(out, "削除しました\n");
  } else if (!params.Value("invalid").empty()) {
    SendPageText(out, "無効化しました\n");
  }
  return false;
}

}  // namespace

int ServeReserveListPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  // The page reads no guide, and may wait on the recorder.
  LetGoOfEpgBusyFlag();
  if (!params.Value("cancel").empty()) params["confirm"].clear();
  if (!params.Value("confirm").empty() && !CheckRequestToken(params.Value("token"))) params["confirm"].clear();
  ReserveSnapshot shown;
  if (params.Value("confirm") == "2") {
    if (!ApplyAction(out, params, settings, shown)) return 1;
    params["confirm"].clear();
  }
  // After its own action the page shows what it did, not a fresh load.
  if (!shown) shown = ReserveListToShow(settings);
  WriteListPage(out, params, settings, *shown);
  return 1;
}

}  // namespace plimod
