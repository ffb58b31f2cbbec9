#include "pages/recorder/edcb_pattern_page.h"

#include <cwchar>
#include <string>

#include "pages/forms/settings_form.h"
#include "recorder/options/rec_option_fields.h"
#include "recorder/options/rec_options.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "server/settings_save_reply.h"
#include "util/conversions.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr const char* kTitleTypeNames[] = {"番組名のみ ", "番組名＋説明 ", "コマンドで指定 "};
constexpr std::size_t kLinkCharaChars = 1024;

const char* TitleTypeName(int type) {
  return type >= 0 && type < 3 ? kTitleTypeNames[type] : "";
}

// The pattern number of `sh_idx`, 0 when it is not one.
int PatternNumber(const RequestParameters& params) {
  const std::string text = params.Value("sh_idx");
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 4) return 0;
  const int number = StringToInt(text);
  return number >= 1 && number <= kPatternMax ? number : 0;
}

void StorePattern(RequestParameters& params, IniSection& section) {
  section.SetInt(nullptr, L"ENABLE", PostedCheck(params, "sh_enable"));
  section.SetString(nullptr, L"LINKCHARA", PostedText(params, "linkchara", kLinkCharaChars));
  section.SetInt(nullptr, L"USE_INVALID", PostedCheck(params, "use_invalid"));
  section.SetInt(nullptr, L"USE_DIALOG", PostedCheck(params, "use_dialog"));
  section.SetInt(nullptr, L"TITLETYPE", StringToInt(params.Value("sh_ttltype")));
  section.SetString(nullptr, L"TITLECOMMAND", PostedText(params, "sh_ttlcmd"));
  StoreRecOptions(params, section);
}

void FlipPattern(IniSection& section) {
  section.SetInt(nullptr, L"ENABLE", section.GetIntDefault(nullptr, L"ENABLE", 0) == 1 ? 0 : 1);
}

std::string PatternSummary(IniFile& settings, const std::wstring& name) {
  IniSection section(settings);
  section.Select(name.c_str(), false);
  RequestParameters options;
  LoadRecOptions(options, section);
  std::string text = PageText(section.GetString(nullptr, L"LINKCHARA").value_or(L"")) + " ";
  if (section.GetIntDefault(nullptr, L"USE_INVALID", 0) != 0) {
    text += "予約を無効にする ";
  } else {
    text += TitleTypeName(section.GetIntDefault(nullptr, L"TITLETYPE", 0));
  }
  const auto label = [&options](const char* field) {
    return std::string(RecOptionLabel(field, StringToInt(options.Value(field))));
  };
  text += "/優先度:" + label("edc_priority") + "/追従:" + label("edc_forrow") + "/録画モード:" +
          label("edc_recmode") + "/ぴったり（？）録画:" + label("edc_ext1");
  return text;
}

void WriteList(ReplyWriter& out, const RequestParameters& params, IniFile& settings) {
  const std::string carry = MakeCarryOverQuery(params);
  const std::string cmd = params.Value("cmd");
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n<TITLE>EDCB予約パターン登録</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  SendPageText(out, "<A HREF='?cmd=config&%s'>戻る</A>　", carry.c_str());
  SendPageText(out, "<HR>\n");
  for (int n = 1; n <= kPatternsListed; ++n) {
    SendPageText(out, "<A HREF='?cmd=%s&sh_idx=%d&%s'>No.%02d</A>　", cmd.c_str(), n, carry.c_str(), n);
    const std::wstring name = PatternSectionName(n);
    if (!settings.HasSection(name.c_str())) {
      SendPageText(out, "未設定<br>");
      continue;
    }
    SendPageText(out, "<A HREF='?cmd=%s&sh_idx=%d&sh_flip=1&%s&token=%s'>", cmd.c_str(), n, carry.c_str(),
                 GetRequestToken().c_str());
    const bool enabled = settings.GetIntDefault(name.c_str(), L"ENABLE", 0) == 1;
    SendPageText(out, enabled ? "○</A>　" : "×</A>　");
    SendPageText(out, "%s<br>", PatternSummary(settings, name).c_str());
  }
}

void WriteTitleTypeSelect(ReplyWriter& out, const IniSection& section) {
  int type = -1;
  section.GetInt(nullptr, L"TITLETYPE", type);
  SendPageText(out, "予約時登録タイトル <select name='sh_ttltype'>");
  for (int n = 0; n < 3; ++n) {
    SendPageText(out, "<option value='%d'%s>%s</option>", n, SelectedAttr(n == type), kTitleTypeNames[n]);
  }
  SendPageText(out, "</select>");
}

void WriteForm(ReplyWriter& out, RequestParameters& params, IniSection& section, int number) {
  const std::string carry = MakeCarryOverQuery(params);
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD><TITLE>EDCB予約パターン登録</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  SendPageText(out, "<A HREF='?cmd=%s&%s'>戻る</A><HR>\n", params.Value("cmd").c_str(), carry.c_str());
  WriteSettingsFormHead(out);
  WriteHiddenField(out, "sh_idx");
  WriteCarryOverHiddenFields(params, out);
  SendPageText(out, "No.%02d<BR><BR>\n", number);
  SendPageText(out, "有効:<input type=checkbox name='sh_enable' value=1%s><BR><BR>\n",
               CheckedAttr(section.GetIntDefault(nullptr, L"ENABLE", 0) == 1));
  // Quoted and escaped: a blank or a quote in the link text must not cut it.
  SendPageText(out, "リンク文字:<input name='linkchara' value='%s'><BR><BR>\n",
               PageText(section.GetString(nullptr, L"LINKCHARA").value_or(L"")).c_str());
  SendPageText(out, "<input type=checkbox name='use_invalid' value=1%s>予約を無効にする(以下の設定無効)<BR><BR>",
               CheckedAttrIf(section.GetIntDefault(nullptr, L"USE_INVALID", 0)));
  SendPageText(out, "<input type=checkbox name='use_dialog' value=1%s>予約前にオプションを変更する<BR><BR>",
               CheckedAttrIf(section.GetIntDefault(nullptr, L"USE_DIALOG", 0)));
  WriteTitleTypeSelect(out, section);
  SendPageText(out, "　コマンド：<input type=text name='sh_ttlcmd' value=\"%s\" size=100><BR>\n",
               PageText(section.GetString(nullptr, L"TITLECOMMAND").value_or(L"")).c_str());
  RequestParameters options;
  LoadRecOptions(options, section);
  WriteRecOptionFields(out, options, section);
  SendPageText(out, "<BR><input type=submit  name=return value='保存'>\n");
  SendPageText(out, "</form>\n");
  SendPageText(out, "</BODY></HTML>\n");
}

}  // namespace

std::wstring PatternSectionName(int number) {
  wchar_t name[24];
  std::swprintf(name, 24, L"EDCBPATTERN_%02d", number);
  return name;
}

int ServeEdcbPatternPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  if (const int number = PatternNumber(params); number != 0) {
    IniSection section(settings);
    section.Select(PatternSectionName(number).c_str(), true);
    if (IsSettingsSave(params)) {
      StorePattern(params, section);
      if (!SaveSettingsOrAnswer(out, settings)) return 1;
      if (params.Value("return").empty()) {
        SendPageText(out, "Location: /?cmd=%s&sh_idx=%s&%s\n", params.Value("cmd").c_str(),
                     params.Value("sh_idx").c_str(), MakeCarryOverQuery(params).c_str());
        SendPageText(out, "\n");
        return 0;
      }
    } else if (params.Value("sh_flip").empty()) {
      WriteForm(out, params, section, number);
      return 1;
    } else if (CheckRequestToken(params.Value("token"))) {
      FlipPattern(section);
      if (!SaveSettingsOrAnswer(out, settings)) return 1;
    }
  }
  WriteList(out, params, settings);
  return 1;
}

}  // namespace plimod
