#pragma once
// Paths of files whose folder or full name a setting holds.

#include <cstddef>
#include <string>
#include <string_view>

namespace plimod {

// The rule behind GetSettingFilePath, given the setting's value:
// - an empty value gives false, unless `fileName` is not null and
//   `acceptEmpty` is set: then the bare file name;
// - a value ending with the file name (case-insensitive) is used as is;
// - otherwise the value, a "/" unless it ends with one, and the file name.
// False when the result has `size` characters or more.
bool ComposeSettingFilePath(std::wstring& out, std::size_t size, std::wstring_view value,
                            const wchar_t* fileName, bool acceptEmpty);

}  // namespace plimod
