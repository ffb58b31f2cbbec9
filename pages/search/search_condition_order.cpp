#include "pages/search/search_condition_order.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "epg/search_condition.h"
#include "pages/forms/condition_fields.h"
#include "platform/text_codec.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/settings_save_reply.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr std::size_t kRowTextBytes = 255;

void Rename(IniFile& settings, int from, int to) {
  settings.RenameSection(SearchSectionName(from).c_str(), SearchSectionName(to).c_str());
}

// "No.nn ○　summary" (or "No.nn 未設定 ") in at most 255 bytes.
std::string RowText(const IniFile& settings, int slot) {
  const ConditionPlace place{&settings, SearchSectionName(slot)};
  char number[16];
  std::snprintf(number, sizeof number, "No.%02d ", slot);
  std::string text = number;
  if (place.Exists()) {
    text += place.GetInt(L"ENABLE", 0) != 0 ? "○　" : "×　";
    text += WideToUtf8String(ConditionSummary(place));
  } else {
    text += "未設定 ";
  }
  text.resize(Utf8CutPoint(text, kRowTextBytes));
  return PageText(text);
}

void WriteInsertRow(ReplyWriter& out, int selected, int before, const std::string& query, bool emptyCell) {
  SendPageText(out, "<tr><td rowspan=2><A HREF='?cmd=search&sort=1&st_sel=%d&st_dst=%d&%s'>ここに挿入→</A></td>%s</tr>\n",
               selected, before, query.c_str(), emptyCell ? "<td></td>" : "");
}

}  // namespace

bool MoveSearchCondition(IniFile& settings, int from, int before, int count) {
  if (from < 1 || from > count || before < 0 || before > count + 1) return false;
  // Readers on other threads see the slots before or after, never between.
  const auto lock = settings.Lock();
  constexpr int kParked = 0;  // never a slot
  Rename(settings, from, kParked);
  if (from < before) {
    for (int k = from + 1; k <= before - 1; ++k) Rename(settings, k, k - 1);
    Rename(settings, kParked, before - 1);
  } else {
    const int first = std::max(before, 1);
    for (int k = from - 1; k >= first; --k) Rename(settings, k, k + 1);
    Rename(settings, kParked, first);
  }
  return true;
}

void ServeSearchConditionOrder(ReplyWriter& out, const RequestParameters& params, IniFile& settings) {
  const int count = SearchConditionCount(settings);
  const std::string selectedText = params.Value("st_sel");
  const int selected = selectedText.empty() ? 1 : StringToInt(selectedText);
  const std::string destination = params.Value("st_dst");
  if (!destination.empty() && MoveSearchCondition(settings, selected, StringToInt(destination), count) &&
      !SaveSettingsOrAnswer(out, settings)) {
    return;
  }
  const std::string query = MakeCarryOverQuery(params);
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>検索条件並び替え</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  SendPageText(out, "検索条件並び替え<BR><BR>\n");
  SendPageText(out, "<A HREF='?cmd=search&%s'>戻る</A>　", query.c_str());
  SendPageText(out, "<HR>\n");
  SendPageText(out, "<table border=0 cellpadding=4 cellspacing=4><tbody>\n");
  WriteInsertRow(out, selected, 0, query, true);
  for (int slot = 1; slot <= count; ++slot) {
    const std::string row = RowText(settings, slot);
    SendPageText(out, "<tr><td rowspan=2>");
    if (slot == selected) {
      SendPageText(out, "(選択中) %s\n", row.c_str());
    } else {
      SendPageText(out, "<A HREF='?cmd=search&sort=1&st_sel=%d&%s'>%s</A><BR>\n", slot, query.c_str(), row.c_str());
    }
    SendPageText(out, "</td></tr>\n");
    WriteInsertRow(out, selected, slot + 1, query, false);
  }
  SendPageText(out, "</tbody></table>\n");
  SendPageText(out, "</BODY></HTML>\n");
}

}  // namespace plimod
