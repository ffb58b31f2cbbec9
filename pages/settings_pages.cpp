#include "pages/settings_pages.h"

#include "guide/command_pages.h"
#include "pages/channel_sort_page.h"
#include "pages/iepg_channel_name_page.h"
#include "pages/ignore_channel_page.h"

namespace plimod {

void RegisterSettingsPages() {
  SetCommandPage("ignorech", ServeIgnoreChannelPage);
  SetCommandPage("iepgch", ServeIepgChannelNamePage);
  SetCommandPage("chsort", ServeChannelSortPage);
}

}  // namespace plimod
