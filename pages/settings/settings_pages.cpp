#include "pages/settings/settings_pages.h"

#include "guide/command_pages.h"
#include "pages/search/search_condition_page.h"
#include "pages/settings/channel_sort_page.h"
#include "pages/settings/config_page.h"
#include "pages/settings/genre_colour_page.h"
#include "pages/settings/iepg_channel_name_page.h"
#include "pages/settings/ignore_channel_page.h"

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
