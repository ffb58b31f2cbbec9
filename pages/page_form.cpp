#include "pages/page_form.h"

#include "server/carry_over.h"
#include "server/page_reply.h"
#include "server/request_token.h"

namespace plimod {

bool IsSavePost(const RequestParameters& params) {
  return !params.Value("spc").empty() && CheckRequestToken(params.Value("token"));
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

void WriteSaveFormHead(ReplyWriter& out) {
  SendPageText(out, "<form method=post action='/'>\n");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
}

void RedirectWithCarryOver(ReplyWriter& out, const std::string& target, const RequestParameters& params) {
  SendPageText(out, "Location: /?%s%s\n", target.c_str(), MakeCarryOverQuery(params).c_str());
  SendPageText(out, "\n");
}

}  // namespace plimod
