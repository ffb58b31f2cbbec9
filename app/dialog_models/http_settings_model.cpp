#include "app/dialog_models/http_settings_model.h"

#include <climits>
#include <cwchar>

#include "server/http_config.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace plimod {

namespace {

constexpr wchar_t kSystem[] = L"SYSTEM";

std::wstring Cut(const std::wstring& text) { return text.substr(0, kMaxHttpAuthChars); }

int ModeIndex(int stored) {
  return stored >= 0 && stored < static_cast<int>(kHttpAuthModeLabels.size()) ? stored : -1;
}

}  // namespace

int PortFieldValue(const std::wstring& text) {
  long long value = std::wcstoll(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

HttpSettingsModel LoadHttpSettingsDialog(const IniFile& settings) {
  HttpSettingsModel model;
  model.port = std::to_wstring(settings.GetIntDefault(kSystem, L"HTTPPORT", kDefaultHttpPort));
  model.authMode = ModeIndex(settings.GetIntDefault(kSystem, L"HTTP_AUTHMODE", 0));
  model.id = settings.GetString(kSystem, L"HTTP_AUTH_ID").value_or(L"");
  model.password = settings.GetString(kSystem, L"HTTP_AUTH_PASSWD").value_or(L"");
  return model;
}

bool ApplyHttpSettingsDialog(const HttpSettingsModel& model, IniFile& settings) {
  auto lock = settings.Lock();
  settings.SetInt(kSystem, L"HTTPPORT", PortFieldValue(model.port));
  if (ModeIndex(model.authMode) >= 0) settings.SetInt(kSystem, L"HTTP_AUTHMODE", model.authMode);
  settings.SetString(kSystem, L"HTTP_AUTH_ID", Cut(model.id));
  settings.SetString(kSystem, L"HTTP_AUTH_PASSWD", Cut(model.password));
  return SaveSettings(settings);
}

}  // namespace plimod
