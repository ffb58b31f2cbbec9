#include "pages/settings_pages.h"

#include "guide/command_pages.h"
#include "pages/channel_sort_page.h"
#include "pages/config_page.h"
#include "pages/genre_colour_page.h"
#include "pages/iepg_channel_name_page.h"
#include "pages/ignore_channel_page.h"
#include "pages/search_condition_page.h"

namespace plimod {

void RegisterSettingsPages() {
  SetCommandPage("config", ServeConfigPage);
  SetCommandPage("ignorech", ServeIgnoreChannelPage);
  SetCommandPage("iepgch", ServeIepgChannelNamePage);
  SetCommandPage("chsort", ServeChannelSortPage);
  SetCommandPage("search", ServeSearchConditionPage);
  SetCommandPage("genre", ServeGenreColorPage);
}

}  // namespace plimod
