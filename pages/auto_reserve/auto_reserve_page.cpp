#include "pages/auto_reserve/auto_reserve_page.h"

#include <cinttypes>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "epg/epg_index.h"
#include "epg/search_condition.h"
#include "epg/search_runner.h"
#include "guide/command_pages.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_history.h"
#include "pages/auto_reserve/auto_reserve_list.h"
#include "pages/auto_reserve/auto_reserve_renumber.h"
#include "pages/forms/condition_fields.h"
#include "pages/forms/settings_form.h"
#include "pages/search/search_hit_preview.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "recorder/options/rec_option_fields.h"
#include "recorder/options/rec_options.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "server/settings_save_reply.h"
#include "server/text_with_br.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"
#include "util/text_title.h"
#include "util/text_width.h"

namespace plimod {

namespace {

constexpr int kPageBands = 4;
constexpr std::size_t kTitleCommandChars = 1024;
constexpr const char* kTitleTypeLabels[] = {"番組名のみ ", "番組名＋説明 ", "コマンドで指定 "};

// The condition a request works on: a numbered section of the settings, or
// one made from a programme in a document of the request's own.
struct Condition {
  IniFile* document;
  std::wstring section;
  int number;

  ConditionPlace Place() const { return {document, section}; }
};

// A cursor on the condition's section; on an empty one of its own when the
// section does not exist, so nothing falls through to another section.
class ConditionCursor {
 public:
  explicit ConditionCursor(const Condition& condition)
      : cursor_(condition.Place().Exists() ? *condition.document : blank_) {
    cursor_.Select(condition.section.c_str(), true);
  }
  IniSection& operator*() { return cursor_; }

 private:
  IniFile blank_;
  IniSection cursor_;
};

std::wstring Defaulted(const ConditionPlace& place, const IniFile& settings, const wchar_t* key) {
  if (auto value = place.Get(key)) return *value;
  return settings.GetString(kAutoReserveSettings, key).value_or(L"");
}

void WriteTitleFields(ReplyWriter& out, const ConditionPlace& place, const IniFile& settings) {
  const int defaultType = settings.GetIntDefault(kAutoReserveSettings, L"TITLETYPE", 0);
  const int type = place.GetInt(L"TITLETYPE", defaultType);
  SendPageText(out, "<BR>予約時登録タイトル<BR>\n");
  SendPageText(out, "<select name='sh_ttltype'>\n");
  for (int value = 0; value < 3; ++value) {
    SendPageText(out, "<option value=%d%s>%s\n", value, SelectedAttr(type == value), kTitleTypeLabels[value]);
  }
  SendPageText(out, "</select>\n");
  SendPageText(out, "　コマンド：<input type=text name='sh_ttlcmd' value=\"%s\" size=100>",
               PageText(Defaulted(place, settings, L"TITLECOMMAND")).c_str());
  SendPageText(out, "　番号:<input type=text name='sh_number' value='%d' size=5><BR><BR>\n",
               place.GetInt(L"NUMBERING", 1));
}

void WritePreviewRow(ReplyWriter& out, SearchHit hit, const EpgEvent& event, IniSection& cursor) {
  SendPageText(out, "<tr><td valign=top>");
  SendPageText(out, "<a href='?sid=%" PRIx64 "&eid=%x' target=_blank>", ServiceKeyOf(hit), event.eventId);
  WriteHitTimes(out, event);
  if (auto station = ServiceMap.find(ServiceKeyOf(hit)); station != ServiceMap.end()) {
    SendPageText(out, "<td valign=top>%s</td>\n", PageText(station->second).c_str());
  }
  SendPageText(out, "<td valign=top>%s</td>", PageText(event.Title()).c_str());
  SendPageText(out, "<td valign=top>%s</td>", PageText(event.ShortText()).c_str());
  SendPageText(out, "<td valign=top>");
  WriteTextWithBr(out, PageText(event.ExtendedText()));
  SendPageText(out, "</td>");
  SendPageText(out, "<td valign=top>%s</td>",
               PageText(AutoReserveTitle(cursor, event, TitleUse::kPreview)).c_str());
  SendPageText(out, "</tr>\n");
}

void WritePreview(ReplyWriter& out, const Condition& condition) {
  const SearchCondition search =
      ReadSearchCondition(*condition.document, condition.section, SearchNormalizeList(*condition.document));
  const std::vector<SearchHit> hits = RunSearchCondition(search, 0, LocalNowTicks());
  ConditionCursor cursor(condition);
  SendPageText(out, "ヒット数：%d<BR>\n", static_cast<int>(hits.size()));
  SendPageText(out, "<TABLE cellpadding=2 cellspacing=2><thead>\n");
  SendPageText(out, "<tr><td>日時</td><td>放送局</td><td>番組名</td><td>説明</td><td>詳細</td>"
                    "<td>登録タイトル名</td></tr></thead><tbody>\n");
  for (SearchHit hit : hits) {
    if (const EpgEvent* event = FindHitEvent(hit)) WritePreviewRow(out, hit, *event, *cursor);
  }
  SendPageText(out, "</tbody></TABLE>\n");
}

void WriteEditor(ReplyWriter& out, RequestParameters& params, const Condition& condition, IniFile& settings) {
  const std::string cmd = PageText(params.Value("cmd"));
  const std::string query = MakeCarryOverQuery(params);
  WriteSettingsPageHead(out, "自動予約設定", false);
  SendPageText(out, "<A HREF='?cmd=%s&%s'>戻る</A><HR>\n", cmd.c_str(), query.c_str());
  WriteSettingsFormHead(out);
  WriteHiddenField(out, "sh_idx");
  WriteCarryOverHiddenFields(params, out);
  SendPageText(out, "No.%02d", condition.number);
  SendPageText(out, "　<A HREF='?cmd=%s&%s&sh_idx=%d&delete=1&token=%s'>削除</A><BR><BR>\n", cmd.c_str(),
               query.c_str(), condition.number, GetRequestToken().c_str());
  WriteConditionFields(out, condition.Place(), ConditionFormOptions{1, kPageBands});
  WriteTitleFields(out, condition.Place(), settings);
  SendPageText(out, "録画オプション<BR>\n");
  if (condition.Place().Exists()) {
    ConditionCursor cursor(condition);
    LoadRecOptions(params, *cursor);
  } else {
    // A number not saved yet shows the user's defaults, not the built-in ones.
    IniSection defaults(settings);
    defaults.Select(kDefaultRecOptionSection, false);
    LoadRecOptions(params, defaults);
  }
  WriteDefaultRecOptionFields(out, params, settings);
  SendPageText(out, "<BR><input type=submit name=submit value='保存と更新'>\n");
  SendPageText(out, "　<input type=submit name=return value='保存して戻る'><BR>");
  SendPageText(out, "</form>\n");
  WritePreview(out, condition);
  SendPageText(out, "</BODY></HTML>\n");
}

int SaveCondition(ReplyWriter& out, RequestParameters& params, IniFile& settings, const Condition& condition) {
  const auto lock = settings.Lock();
  const wchar_t* section = condition.section.c_str();
  StoreConditionFields(settings, condition.section, params, kPageBands);
  settings.SetInt(section, L"TITLETYPE", StringToInt(params.Value("sh_ttltype")));
  settings.SetString(section, L"TITLECOMMAND", PostedText(params, "sh_ttlcmd", kTitleCommandChars));
  settings.SetInt(section, L"NUMBERING", StringToInt(params.Value("sh_number")));
  IniSection cursor(settings);
  cursor.Select(section, true);
  StoreRecOptions(params, cursor);
  if (!SaveSettingsOrAnswer(out, settings)) return 1;
  if (!params.Value("return").empty()) {
    WriteAutoReserveList(out, params, settings);
  } else {
    RedirectWithCarryOver(out, "cmd=autore&sh_idx=" + std::to_string(condition.number) + "&", params);
  }
  return 0;
}

int ServeCondition(ReplyWriter& out, RequestParameters& params, IniFile& settings, const Condition& condition) {
  if (IsSettingsSave(params)) return SaveCondition(out, params, settings, condition);
  const wchar_t* section = condition.section.c_str();
  if (!params.Value("sh_flip").empty()) {
    settings.SetInt(section, L"ENABLE", condition.Place().GetInt(L"ENABLE", 0) == 1 ? 0 : 1);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    WriteAutoReserveList(out, params, settings);
    return 0;
  }
  if (!params.Value("delete").empty() && CheckRequestToken(params.Value("token"))) {
    settings.DeleteSection(section);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    WriteAutoReserveList(out, params, settings);
    return 0;
  }
  WriteEditor(out, params, condition, settings);
  return 1;
}

int FirstFreeNumber(const IniFile& settings) {
  const int count = AutoReserveConditionCount(settings);
  for (int number = 1; number <= count; ++number) {
    if (!settings.HasKey(AutoReserveSectionName(number).c_str(), L"ENABLE")) return number;
  }
  return 0;
}

// The title rule and recording options a new condition starts from.
void PrefillReservationKeys(IniFile& local, IniFile& settings) {
  RequestParameters options;
  IniSection defaults(settings);
  if (defaults.Select(kAutoReserveSettings, false)) LoadRecOptions(options, defaults);
  IniSection dummy(local);
  dummy.Select(kPrefillSection, true);
  StoreRecOptions(options, dummy);
  for (const wchar_t* path : {L"EXT2", L"RECDIR"}) {
    if (auto value = settings.GetString(kAutoReserveSettings, path)) local.SetString(kPrefillSection, path, *value);
  }
  if (auto type = settings.GetString(kAutoReserveSettings, L"TITLETYPE"); type && !type->empty()) {
    local.SetString(kPrefillSection, L"TITLETYPE", *type);
  }
  if (auto command = settings.GetString(kAutoReserveSettings, L"TITLECOMMAND")) {
    local.SetString(kPrefillSection, L"TITLECOMMAND", *command);
  }
}

enum class PrefillResult { kMade, kNoFreeNumber, kNoEvent };

PrefillResult PrefillFromProgramme(const RequestParameters& params, IniFile& settings, IniFile& local,
                                   int& number) {
  number = FirstFreeNumber(settings);
  if (number == 0) return PrefillResult::kNoFreeNumber;
  const std::uint64_t serviceKey = ParseHex64(params.Value("sid"));
  const std::uint64_t eventId = ParseHex64(params.Value("eid"));
  const EpgEvent* event =
      eventId > 0xFFFF ? nullptr : FindHitEvent(ProgramKey(static_cast<std::uint16_t>(eventId), serviceKey));
  if (event == nullptr) return PrefillResult::kNoEvent;
  PrefillCondition(local, settings, ToHalfWidthAlnum(CutSeriesTitle(event->Title())), serviceKey, kPageBands);
  PrefillReservationKeys(local, settings);
  return PrefillResult::kMade;
}

// False when a change could not be saved.
bool RunRequestedActions(RequestParameters& params, IniFile& settings) {
  if (params.Value("update") == "1") RunAutoReserve(settings);
  bool saved = true;
  if (params.Value("del") == "1") saved = RemoveAutoReserveHistoryEntry(settings, params.Value("historyid"));
  if (params.Value("renum") == "1") {
    params["sh_idx"].clear();
    saved = RenumberAutoReserveConditions(settings) && saved;
  }
  return saved;
}

}  // namespace

int ServeAutoReservePage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  if (!RunRequestedActions(params, settings)) {
    WriteSettingsSaveFailure(out, settings);
    return 1;
  }
  const std::string index = params.Value("sh_idx");
  const int number = StringToInt(index);
  const bool fromProgramme = number == 0 && !params.Value("sid").empty() && !params.Value("eid").empty();
  if (index.empty() || number < 0 || number > kMaxConditionCount || (number == 0 && !fromProgramme)) {
    WriteAutoReserveList(out, params, settings);
    return 1;
  }
  // Until the user saves, a condition made from a programme lives here.
  IniFile local;
  Condition condition{&settings, AutoReserveSectionName(number), number};
  if (fromProgramme) {
    switch (PrefillFromProgramme(params, settings, local, condition.number)) {
      case PrefillResult::kNoFreeNumber:
        SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
        SendPageText(out, "自動予約の空きスペースがありませんでした\n");
        return 1;
      case PrefillResult::kNoEvent: WriteAutoReserveList(out, params, settings); return 1;
      case PrefillResult::kMade: condition = {&local, kPrefillSection, condition.number}; break;
    }
    params["sh_idx"] = IntToString(condition.number);
    WriteEditor(out, params, condition, settings);
    return 1;
  }
  // Links, hidden fields and redirects carry the number, never the raw text.
  params["sh_idx"] = IntToString(condition.number);
  return ServeCondition(out, params, settings, condition);
}

void RegisterAutoReservePage() {
  SetCommandPage("autore", ServeAutoReservePage);
  EpgPageHooks hooks = CurrentEpgPageHooks();
  hooks.findAutoReserveNoForEvent = [](const EpgEvent& event) { return FindAutoReserveNoForEvent(Settings(), event); };
  // A page reads the history once.
  hooks.pageStart.push_back([](EpgPageHooks& page) {
    auto numbers = std::make_shared<const HistoryLookup>(ReadStoredHistoryLookup(Settings()));
    page.findAutoReserveNoForEvent = [numbers](const EpgEvent& event) { return ConditionOfEvent(*numbers, event); };
  });
  SetEpgPageHooks(std::move(hooks));
}

}  // namespace plimod
