#include "pages/recorder/reserve_pages.h"

#include "guide/command_pages.h"
#include "pages/recorder/edcb_pattern_page.h"
#include "pages/recorder/reserve_add_page.h"
#include "pages/recorder/reserve_edit_page.h"

namespace plimod {

void RegisterReservePages() {
  SetCommandPage("edcpattern", ServeEdcbPatternPage);
  SetCommandPage("edc", ServeReserveAddPage);
  SetCommandPage("edc_edit", ServeReserveEditPage);
}

}  // namespace plimod
