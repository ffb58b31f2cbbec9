#include "guide/epg_page/epg_page.h"

#include "guide/epg_page/epg_page_cell.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "guide/epg_page/epg_page_layout.h"
#include "guide/epg_page/epg_page_links.h"
#include "guide/epg_page/epg_page_style.h"
#include "guide/epg_page/epg_table_view.h"
#include "guide/navigation_bar.h"
#include "server/page_reply.h"

namespace plimod {

int ServeEpgPage(ReplyWriter& out, RequestParameters& params, IniFile& settings, const PageView& view) {
  const EpgPageHooks hooks = EpgPageHooksForPage();
  const EpgPageLayout layout = CollectEpgPageCells(view, params, settings, hooks);
  const EpgPageSettings page = ReadEpgPageSettings(settings);

  WriteEpgPageHead(out, view, page);
  WriteEpgPageTopLinks(out, params, view, page);
  const EpgCellContext context{page, settings, hooks, view.state.detail, view.mark != 0};
  WriteEpgPageTables(out, params, view, layout, context);
  if (view.mode == PageMode::kEpg) {
    WriteNavigationBar(out, params, view.state.band, view.baseDay, view.hour, view.state.range);
  }
  SendPageText(out, "</BODY></HTML>\n");
  return 0;
}

}  // namespace plimod
