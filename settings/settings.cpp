#include "settings/settings.h"

#include "util/log.h"

namespace plimod {

IniFile& Settings() {
  static IniFile document;
  return document;
}

void ConnectLogSwitchToSettings() {
  SetLogSwitch([] {
    const IniFile& settings = Settings();
    return settings.GetIntDefault(L"SYSTEM", L"LOG", 0) != 0 || !settings.UnreadablePath().empty();
  });
}

bool LoadProgramSettings(const std::wstring& path) {
  IniFile& settings = Settings();
  const bool loaded = settings.Load(path, true);
  ConnectLogSwitchToSettings();
  if (!loaded) {
    LogWrite("設定ファイルを読み込めませんでした(%s)。設定は保存されません: %ls\n", settings.LoadError().c_str(),
             path.c_str());
  }
  return loaded;
}

bool SaveSettings(IniFile& settings) {
  if (settings.Save()) return true;
  LogWrite("設定ファイルを保存できませんでした: %ls\n", SettingsFileName(settings).c_str());
  return false;
}

std::wstring SettingsFileName(const IniFile& settings) {
  const std::wstring path = settings.Path();
  return path.empty() ? settings.UnreadablePath() : path;
}

}  // namespace plimod
