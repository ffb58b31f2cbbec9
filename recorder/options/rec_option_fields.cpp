#include "recorder/options/rec_option_fields.h"

#include <span>
#include <string>

#include "recorder/options/rec_options.h"
#include "recorder/base/recorder_mode.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "util/conversions.h"
#include "util/text_html.h"

namespace plimod {

namespace {

struct Choice {
  int value;
  const char* label;
};

// The labels keep their trailing blanks, as the pages have always shown them.
constexpr Choice kPriorities[] = {{1, "1 (低)"}, {2, "2"}, {3, "3"}, {4, "4"}, {5, "5 (高)"}};
constexpr Choice kYesNo[] = {{0, "しない "}, {1, "する "}};
constexpr Choice kRecModes[] = {{0, "全サービス"}, {1, "指定サービス"}, {2, "全サービス(B25なし)"},
                                {3, "指定サービス(B25なし)"}, {4, "視聴"}, {5, "無効"}};
constexpr Choice kPostActions[] = {
    {0, "何もしない "}, {1, "スタンバイ "}, {2, "休止 "}, {3, "シャットダウン "}, {4, "デフォルト設定 "}};
// "無効" (disabled) is offered only by the reservation server.
constexpr std::size_t kTextRecorderRecModes = 5;

std::span<const Choice> ChoicesOf(std::string_view field) {
  if (field == "edc_priority") return kPriorities;
  if (field == "edc_forrow" || field == "edc_ext1") return kYesNo;
  if (field == "edc_recmode") return kRecModes;
  if (field == "edc_postaction") return kPostActions;
  return {};
}

int FormInt(const RequestParameters& form, const char* field) { return StringToInt(form.Value(field)); }

void WriteOptions(ReplyWriter& out, std::span<const Choice> choices, int current) {
  for (const Choice& choice : choices) {
    SendPageText(out, "<option value='%d'%s>%s</option>", choice.value, SelectedAttr(choice.value == current),
                 choice.label);
  }
}

void WriteSelect(ReplyWriter& out, const char* head, const RequestParameters& form, const char* field,
                 std::span<const Choice> choices, const char* tail = "</select><BR>\n") {
  SendPageText(out, "%s", head);
  WriteOptions(out, choices, FormInt(form, field));
  SendPageText(out, "%s", tail);
}

// Paths from the settings are element content here, so they are escaped
// whole (& included).
std::string EscapedPath(std::wstring path) {
  HtmlEscape(path);
  return WideToUtf8(path);
}

// The kept path (as "def") or the "none" choice first, then every entry of
// the list numbered from `firstIndex`.
void WritePathSelect(ReplyWriter& out, const char* head, const RequestParameters& form, const char* field,
                     const char* noneLabel, const IniSection& section, const wchar_t* list, int firstIndex) {
  SendPageText(out, "%s", head);
  const std::string current = form.Value(field);
  if (!current.empty() && current != "0") {
    SendPageText(out, "<option value='def' selected=selected>%s</option>", EscapedPath(DecodeUtf8(current)).c_str());
    SendPageText(out, "<option value='none'>%s</option>", noneLabel);
  } else {
    SendPageText(out, "<option value='none' selected=selected>%s</option>", noneLabel);
  }
  for (int i = 0;; ++i) {
    const auto entry = section.GetIndexed(list, i);
    if (!entry) break;
    SendPageText(out, "<option value='%d'>%s</option>", i + firstIndex, EscapedPath(*entry).c_str());
  }
  SendPageText(out, "</select><BR>\n");
}

void WriteServerFields(ReplyWriter& out, const RequestParameters& form, const IniSection& section) {
  WritePathSelect(out, "録画ファイル保存フォルダ <select name='edc_recdir'>", form, "edc_recdir", "デフォルト", section,
                  kRecFolderListSection, 0);
  WriteSelect(out, "録画後動作 <select name='edc_postaction'>", form, "edc_postaction", kPostActions, "</select>\n");
  SendPageText(out, "<input type=checkbox name='edc_resumerestart' value=1%s>復帰後再起動する<BR>\n",
               CheckedAttrIf(FormInt(form, "edc_resumerestart")));
  SendPageText(out, "マージン設定　<input type=checkbox name='edc_margin_enable' value=1%s>個別指定する　",
               CheckedAttrIf(FormInt(form, "edc_margin_enable")));
  SendPageText(out, "開始 <input name=edc_margin_s value='%d' size=3> 秒　終了 <input name=edc_margin_e value='%d' size=3> 秒<BR>\n",
               FormInt(form, "edc_margin_s"), FormInt(form, "edc_margin_e"));
  const int service = FormInt(form, "edc_service_flag");
  SendPageText(out, "指定サービス設定　<input type=checkbox name='edc_service_enable' value=1%s>個別指定する　",
               CheckedAttrIf(service & 1));
  SendPageText(out, "<input type=checkbox name='edc_service_caption' value=1%s>字幕データ含む　",
               CheckedAttrIf(service & 2));
  SendPageText(out, "<input type=checkbox name='edc_service_carousel' value=1%s>データカルーセル含む<BR>\n",
               CheckedAttrIf(service & 4));
}

}  // namespace

std::string_view RecOptionLabel(std::string_view field, int value) {
  for (const Choice& choice : ChoicesOf(field)) {
    if (choice.value == value) return choice.label;
  }
  return {};
}

void WriteRecOptionFields(ReplyWriter& out, const RequestParameters& form, const IniSection& section, bool srvMode) {
  WriteSelect(out, "優先度 <select name='edc_priority'>", form, "edc_priority", kPriorities);
  WriteSelect(out, "追従　 <select name='edc_forrow'>", form, "edc_forrow", kYesNo);
  const std::span<const Choice> recModes(kRecModes, srvMode ? std::size(kRecModes) : kTextRecorderRecModes);
  WriteSelect(out, "録画モード <select name='edc_recmode'>", form, "edc_recmode", recModes);
  WriteSelect(out, "ぴったり（？）録画 <select name='edc_ext1'>", form, "edc_ext1", kYesNo);
  WritePathSelect(out, "録画後バッチ起動 <select name='edc_ext2'>", form, "edc_ext2", "無し", section,
                  kBatchListSection, 1);
  if (srvMode) WriteServerFields(out, form, section);
}

void WriteRecOptionFields(ReplyWriter& out, const RequestParameters& form, const IniSection& section) {
  WriteRecOptionFields(out, form, section, EpgTimerSrvMode());
}

void WriteDefaultRecOptionFields(ReplyWriter& out, const RequestParameters& form, IniFile& settings) {
  IniSection section(settings);
  section.Select(kDefaultRecOptionSection, true);
  WriteRecOptionFields(out, form, section);
}

}  // namespace plimod
