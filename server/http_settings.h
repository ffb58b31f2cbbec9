#pragma once
// Carries the HTTP settings from the settings document into the server;
// they take effect at the server's next start.

namespace plimod {

class IniFile;

// SYSTEM/HTTPPORT, HTTP_AUTHMODE, HTTP_AUTH_ID, HTTP_AUTH_PASSWD, and the
// document root public_html in the program folder.
void ApplyHttpSettings(const IniFile& settings);
// The same from the program's settings document.
void ApplyHttpSettings();

}  // namespace plimod
