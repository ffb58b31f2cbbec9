#pragma once
// Paths of files whose folder or full name a setting holds.

#include <cstddef>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace plimod {

// The rule behind GetSettingFilePath, given the setting's value:
// - an empty value gives false, unless `fileName` is not null and
//   `acceptEmpty` is set: then the bare file name;
// - a value ending with the file name (case-insensitive) is used as is;
// - otherwise the value, a "/" unless it ends with one, and the file name.
// False when the result has `size` characters or more.
bool ComposeSettingFilePath(std::wstring& out, std::size_t size, std::wstring_view value,
                            const wchar_t* fileName, bool acceptEmpty);

// Reads section/key of `settings` and applies ComposeSettingFilePath to it
// (a missing key counts as empty). Inline because the settings library
// itself builds on this one.
inline bool GetSettingFilePath(const IniFile& settings, std::wstring& out, std::size_t size,
                               const wchar_t* section, const wchar_t* key,
                               const wchar_t* fileName, bool acceptEmpty) {
  const std::wstring value = settings.GetString(section, key).value_or(std::wstring());
  return ComposeSettingFilePath(out, size, value, fileName, acceptEmpty);
}

}  // namespace plimod
