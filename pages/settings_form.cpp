#include "pages/settings_form.h"

#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"

namespace plimod {

bool IsSettingsSave(const RequestParameters& params) {
  return !params.Value("spc").empty() && CheckRequestToken(params.Value("token"));
}

void WriteSettingsFormHead(ReplyWriter& out) {
  SendPageText(out, "<form method=post action='/'>\n");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
  WriteHiddenField(out, "cmd");
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
