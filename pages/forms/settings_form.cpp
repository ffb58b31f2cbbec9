#include "pages/forms/settings_form.h"

#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "server/settings_save_reply.h"

namespace plimod {

bool IsSettingsSave(const RequestParameters& params) {
  return !params.Value("spc").empty() && CheckRequestToken(params.Value("token"));
}

int ServeSettingsForm(ReplyWriter& out, RequestParameters& params, IniFile& settings, SettingsFormWriter show,
                      SettingsFormStore store) {
  if (!IsSettingsSave(params)) {
    show(out, params, settings);
    return 1;
  }
  store(params, settings);
  return SaveSettingsOrAnswer(out, settings) ? 0 : 1;
}

void WriteSettingsFormHead(ReplyWriter& out) {
  SendPageText(out, "<form method=post action='/'>\n");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
  WriteHiddenField(out, "cmd");
}

void WriteSettingsPageHead(ReplyWriter& out, const char* title, bool squareStyle) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>%s</TITLE>\n", title);
  if (squareStyle) {
    SendPageText(out, "<style>\n");
    SendPageText(out, "span.square {color: #000000; border-width: 1px; border-color: black; border-style: solid;}\n");
    SendPageText(out, "</style>\n");
  }
  SendPageText(out, "</HEAD><BODY>\n");
}

void WriteSettingsFormFoot(ReplyWriter& out) {
  SendPageText(out, "<BR><input type=submit value='submit'>\n");
  SendPageText(out, "</form>\n");
  SendPageText(out, "</BODY></HTML>\n");
}

void RedirectWithCarryOver(ReplyWriter& out, const std::string& target, const RequestParameters& params) {
  SendPageText(out, "Location: /?%s%s\n", target.c_str(), MakeCarryOverQuery(params).c_str());
  SendPageText(out, "\n");
}

std::wstring PostedText(const RequestParameters& params, const std::string& name, std::size_t maxChars) {
  std::wstring text = DecodeUtf8(params.Value(name), maxChars);
  for (wchar_t& c : text) {
    if (c < 0x20) c = L' ';
  }
  return text;
}

int PostedCheck(const RequestParameters& params, const std::string& name) {
  return params.Value(name) == "1" ? 1 : 0;
}

}  // namespace plimod
