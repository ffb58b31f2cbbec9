#pragma once
// The HTTP settings dialog: port, authentication mode, id and password in
// [SYSTEM].

#include <array>
#include <string>

namespace plimod {

class IniFile;

inline constexpr wchar_t kHttpSettingsDialogTitle[] = L"httpサーバ設定";
// The drop-down list's entries; the index is the stored HTTP_AUTHMODE.
inline constexpr std::array<const wchar_t*, 3> kHttpAuthModeLabels = {
    L"なし", L"Basic認証", L"Basic認証(外部アクセスのみ)"};
inline constexpr std::size_t kMaxHttpAuthChars = 127;

struct HttpSettingsModel {
  std::wstring port;  // as typed; read as a number on OK
  int authMode = 0;   // index into kHttpAuthModeLabels; -1: nothing selected
  std::wstring id;
  std::wstring password;
};

HttpSettingsModel LoadHttpSettingsDialog(const IniFile& settings);
// OK: stores the fields and saves the document (false when the save
// failed). A mode of -1 (a stored value the list does not know) keeps the
// stored value rather than switching authentication off.
bool ApplyHttpSettingsDialog(const HttpSettingsModel& model, IniFile& settings);

// The port field read as a number: leading blanks, a sign and digits; 0 for
// text without them.
int PortFieldValue(const std::wstring& text);

}  // namespace plimod
