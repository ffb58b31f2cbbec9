#include "guide/epg_page.h"

#include "guide/navigation_bar.h"
#include "server/page_reply.h"

namespace plimod {

// A plain page with the view's navigation until the table itself is drawn.
int ServeEpgPage(ReplyWriter& out, RequestParameters& params, IniFile&, const PageView& view) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n");
  SendPageText(out, "%s", view.cookieLine.c_str());
  SendPageText(out, "\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>プリモビュー</TITLE>\n");
  SendPageText(out, "<META HTTP-EQUIV='Content-type' CONTENT='text/html; charset=UTF-8'>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  if (view.mode == PageMode::kEpg) {
    WriteNavigationBar(out, params, view.state.band, view.baseDay, view.hour, view.state.range);
  }
  SendPageText(out, "</BODY></HTML>\n");
  return 0;
}

}  // namespace plimod
