#include "app/tray_menu_items.h"

#include "app/launcher.h"
#include "app/main_window_proc.h"
#include "recorder/options/edcb_patterns.h"

namespace plimod {

TrayMenu BuildTrayMenu() {
  TrayMenu menu{
      {kCommandHttpDialog, L"httpサーバ設定..."},
      {kCommandLauncherDialog, L"ﾗﾝﾁｬ設定..."},
      {0, L""},
      {0, L""},
      {kCommandExit, L"終了(&Q)"},
  };
  AddEdcbTrayMenuItems(menu);
  AddLauncherMenuItems(menu);
  return menu;
}

}  // namespace plimod
