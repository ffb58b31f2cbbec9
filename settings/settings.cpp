#include "settings/settings.h"

#include "util/log.h"

namespace plimod {

IniFile& Settings() {
  static IniFile document;
  return document;
}

void ConnectLogSwitchToSettings() {
  SetLogSwitch([] { return Settings().GetIntDefault(L"SYSTEM", L"LOG", 0) != 0; });
}

}  // namespace plimod
