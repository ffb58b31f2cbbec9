#include "pages/search/search_condition_page.h"

#include <cstdint>
#include <string>

#include "epg/epg_index.h"
#include "epg/search_condition.h"
#include "pages/forms/colour_picker.h"
#include "pages/forms/condition_fields.h"
#include "pages/forms/settings_form.h"
#include "pages/search/search_condition_order.h"
#include "pages/search/search_hit_preview.h"
#include "platform/text_codec.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "server/settings_save_reply.h"
#include "util/conversions.h"
#include "util/page_text.h"
#include "util/text_title.h"
#include "util/text_width.h"

namespace plimod {

namespace {

constexpr int kEditorBands = 3;
constexpr const wchar_t* kDefaultBackground = L"#ffffff";

// The condition a request works on: a slot of the settings, or a condition
// made from a programme in a document of the request's own.
struct Condition {
  IniFile* document;
  std::wstring section;
  int slot;

  ConditionPlace Place() const { return {document, section}; }
};

std::wstring Background(const Condition& condition) {
  std::wstring colour = condition.Place().Get(L"DRAW_BGCOLOR").value_or(kDefaultBackground);
  if (colour.size() > kPickerColourChars) colour.resize(kPickerColourChars);
  return colour;
}

void WriteConditionList(ReplyWriter& out, const RequestParameters& params, const IniFile& settings) {
  const std::string query = MakeCarryOverQuery(params);
  WriteSettingsPageHead(out, "検索条件設定", false);
  SendPageText(out, "<A HREF='?%s'>戻る</A>　<A HREF='?cmd=search&sort=1&%s'>並べ替え</A><HR>\n", query.c_str(),
               query.c_str());
  const int count = SearchConditionCount(settings);
  for (int slot = 1; slot <= count; ++slot) {
    const ConditionPlace place{&settings, SearchSectionName(slot)};
    SendPageText(out, "<A HREF='?cmd=search&%s&sh_idx=%d'>No.%02d</A>　", query.c_str(), slot, slot);
    if (place.Exists()) {
      SendPageText(out, "<A HREF='?cmd=search&%s&sh_idx=%d&sh_flip=1'>", query.c_str(), slot);
      SendPageText(out, "%s/A>　", place.GetInt(L"ENABLE", 0) != 0 ? "○<" : "×<");
      SendPageText(out, "%s", PageText(ConditionSummary(place)).c_str());
    } else {
      SendPageText(out, "未設定 ");
    }
    SendPageText(out, "<BR>\n");
  }
  SendPageText(out, "</BODY></HTML>\n");
}

void ServeListOrOrder(ReplyWriter& out, const RequestParameters& params, IniFile& settings) {
  if (params.Value("sort") == "1") {
    ServeSearchConditionOrder(out, params, settings);
  } else {
    WriteConditionList(out, params, settings);
  }
}

void WriteDrawSettings(ReplyWriter& out, const Condition& condition, const std::string& query) {
  const int type = condition.Place().GetInt(L"DRAW_BGTYPE", 0);
  SendPageText(out, "<BR>\n");
  SendPageText(out, "表示設定<BR>\n");
  SendPageText(out, "<input type=radio name=draw_type value=0%s>ジャンル色に従う<BR>\n", CheckedAttr(type == 0));
  SendPageText(out,
               "<input type=radio name=draw_type value=1%s>背景色を指定　<span class=square "
               "style='background-color: %s;'>　いろは　</span>",
               CheckedAttr(type == 1), PageText(Background(condition)).c_str());
  SendPageText(out, "　<a href='?cmd=search&sh_idx=%d&color=1&&%s'>参照</a><BR>\n", condition.slot, query.c_str());
}

void WriteEditor(ReplyWriter& out, const RequestParameters& params, const Condition& condition,
                 const IniFile& settings) {
  const std::string query = MakeCarryOverQuery(params);
  WriteSettingsPageHead(out, "検索条件設定", true);
  SendPageText(out, "<A HREF='?cmd=search&%s'>戻る</A><HR>\n", query.c_str());
  WriteSettingsFormHead(out);
  WriteHiddenField(out, "sh_idx");
  WriteCarryOverHiddenFields(params, out);
  SendPageText(out, "No.%02d", condition.slot);
  SendPageText(out, "　<A HREF='?cmd=search&%s&sh_idx=%d&delete=1&token=%s'>削除</A><BR><BR>\n", query.c_str(),
               condition.slot, GetRequestToken().c_str());
  WriteConditionFields(out, condition.Place(), ConditionFormOptions{});
  WriteDrawSettings(out, condition, query);
  SendPageText(out, "<BR><input type=submit name=submit value='保存と更新'>\n");
  SendPageText(out, "　<input type=submit name=return value='保存して戻る'><BR>");
  SendPageText(out, "</form>\n");
  WriteSearchHitPreview(out, condition.Place(), settings);
}

void RedirectToEditor(ReplyWriter& out, const RequestParameters& params, int slot) {
  RedirectWithCarryOver(out, "cmd=search&sh_idx=" + std::to_string(slot) + "&", params);
}

// A post with a valid token.
int SaveCondition(ReplyWriter& out, RequestParameters& params, IniFile& settings, const Condition& condition) {
  IniFile& document = *condition.document;
  const wchar_t* section = condition.section.c_str();
  if (!params.Value("colorupdate").empty()) {
    // Without a colour chosen the stored one stays.
    if (auto colour = ReadColorPickerForm(params)) document.SetString(section, L"DRAW_BGCOLOR", *colour);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    ServeColorPickerPage(out, params, Background(condition), -1);
    return 0;
  }
  if (auto colour = ReadColorPickerForm(params)) {
    document.SetString(section, L"DRAW_BGCOLOR", *colour);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    RedirectToEditor(out, params, condition.slot);
    return 0;
  }
  StoreConditionFields(document, condition.section, params, kEditorBands);
  document.SetInt(section, L"DRAW_BGTYPE", StringToInt(params.Value("draw_type")));
  if (!SaveSettingsOrAnswer(out, settings)) return 1;
  if (!params.Value("return").empty()) {
    WriteConditionList(out, params, settings);
  } else if (!params.Value("submit").empty()) {
    RedirectToEditor(out, params, condition.slot);
  } else if (!params.Value("color").empty()) {
    ServeColorPickerPage(out, params, Background(condition), -1);
  } else {
    WriteConditionList(out, params, settings);
  }
  return 0;
}

// A request without a valid save: the picker, a flip, a delete or the editor.
int ServeCondition(ReplyWriter& out, RequestParameters& params, IniFile& settings, const Condition& condition) {
  IniFile& document = *condition.document;
  const wchar_t* section = condition.section.c_str();
  if (!params.Value("color").empty()) {
    ServeColorPickerPage(out, params, Background(condition), -1);
    return 1;
  }
  if (!params.Value("sh_flip").empty()) {
    document.SetInt(section, L"ENABLE", condition.Place().GetInt(L"ENABLE", 0) == 1 ? 0 : 1);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    WriteConditionList(out, params, settings);
    return 0;
  }
  if (!params.Value("delete").empty() && CheckRequestToken(params.Value("token"))) {
    document.DeleteSection(section);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    WriteConditionList(out, params, settings);
    return 0;
  }
  WriteEditor(out, params, condition, settings);
  return 1;
}

int FirstFreeSlot(const IniFile& settings) {
  const int count = SearchConditionCount(settings);
  for (int slot = 1; slot <= count; ++slot) {
    if (!settings.HasSection(SearchSectionName(slot).c_str())) return slot;
  }
  return 0;
}

const EpgEvent* FindEvent(std::uint64_t serviceKey, std::uint64_t eventId) {
  if (eventId > 0xFFFF) return nullptr;
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return nullptr;
  const auto event = service->second.find(static_cast<std::uint16_t>(eventId));
  return event == service->second.end() ? nullptr : &event->second;
}

enum class PrefillResult { kMade, kNoFreeSlot, kNoEvent };

// A new condition for the programme of `sid` and `eid` in `local`.
PrefillResult PrefillFromProgramme(const RequestParameters& params, const IniFile& settings, IniFile& local,
                                   int& slot) {
  slot = FirstFreeSlot(settings);
  if (slot == 0) return PrefillResult::kNoFreeSlot;
  const std::uint64_t serviceKey = ParseHex64(params.Value("sid"));
  const EpgEvent* event = FindEvent(serviceKey, ParseHex64(params.Value("eid")));
  if (event == nullptr) return PrefillResult::kNoEvent;
  PrefillCondition(local, settings, ToHalfWidthAlnum(StripBracketTags(event->Title())), serviceKey, kEditorBands);
  return PrefillResult::kMade;
}

}  // namespace

int ServeSearchConditionPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  const std::string index = params.Value("sh_idx");
  const int number = StringToInt(index);
  const bool fromProgramme = number == 0 && !params.Value("sid").empty() && !params.Value("eid").empty();
  if (index.empty() || number < 0 || number > kMaxConditionCount || (number == 0 && !fromProgramme)) {
    ServeListOrOrder(out, params, settings);
    return 1;
  }
  // Until the user saves, a condition made from a programme lives here.
  IniFile local;
  Condition condition{&settings, SearchSectionName(number), number};
  if (fromProgramme) {
    switch (PrefillFromProgramme(params, settings, local, condition.slot)) {
      case PrefillResult::kNoFreeSlot:
        SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
        SendPageText(out, "検索条件の空きスペースがありませんでした\n");
        return 1;
      case PrefillResult::kNoEvent: ServeListOrOrder(out, params, settings); return 1;
      case PrefillResult::kMade: condition = {&local, kPrefillSection, condition.slot}; break;
    }
  }
  // Links, hidden fields and redirects carry the number, never the raw text.
  params["sh_idx"] = IntToString(condition.slot);
  if (IsSettingsSave(params)) return SaveCondition(out, params, settings, condition);
  return ServeCondition(out, params, settings, condition);
}

}  // namespace plimod
