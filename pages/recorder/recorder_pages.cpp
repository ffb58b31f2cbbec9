#include "pages/recorder/recorder_pages.h"

#include "guide/command_pages.h"
#include "pages/recorder/edcb_status_page.h"
#include "pages/recorder/reserve_list_page.h"

namespace plimod {

void RegisterRecorderPages() {
  SetCommandPage("edcb", ServeEpgDataCapStatusPage);
  SetCommandPage("epgtimer", ServeReserveListPage);
}

}  // namespace plimod
