#include "server/http_settings.h"

#include <string>

#include "server/http_config.h"
#include "settings/settings.h"
#include "util/log.h"
#include "util/module_paths.h"

namespace plimod {

namespace {

constexpr std::size_t kMaxAuthChars = 127;

std::wstring ReadAuthText(const IniFile& settings, const wchar_t* key) {
  std::wstring value = settings.GetString(L"SYSTEM", key).value_or(L"");
  if (value.size() > kMaxAuthChars) value.resize(kMaxAuthChars);
  return value;
}

}  // namespace

void ApplyHttpSettings(const IniFile& settings) {
  int port = settings.GetIntDefault(L"SYSTEM", L"HTTPPORT", 0);
  if (port >= 1 && port <= 65535) {
    SetHttpPort(port);
  } else if (port != 0) {
    // Out of range: keep the port rather than wrap it to 16 bits.
    LogWrite("HTTPPORT=%d は範囲外のため現在のポート%uを使います\n", port,
             static_cast<unsigned>(GetHttpConfig().port));
  }
  std::wstring root = GetModuleDir() + L"public_html";
  SetDocumentRoot(root.c_str());
  int mode = settings.GetIntDefault(L"SYSTEM", L"HTTP_AUTHMODE", 0);
  SetHttpAuth(mode, ReadAuthText(settings, L"HTTP_AUTH_ID"), ReadAuthText(settings, L"HTTP_AUTH_PASSWD"));
}

void ApplyHttpSettings() { ApplyHttpSettings(Settings()); }

}  // namespace plimod
