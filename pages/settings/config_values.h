#pragma once
// Keys and shown defaults the environment settings page shares between its
// form and its save.

#include <string>

namespace plimod {

inline constexpr const wchar_t* kSystem = L"SYSTEM";
inline constexpr const wchar_t* kEpgDataCap = L"EPGDATACAP";
inline constexpr const wchar_t* kTvRock = L"TVROCK";
inline constexpr const wchar_t* kSyoboiUpload = L"SYOBOIUPLOAD";

// What the password field shows for a stored password; posting it back
// keeps the password.
inline constexpr const char* kPasswordPlaceholder = "*dummy*";

// Upper limit of the counts and of the reservation range in days.
inline constexpr int kMaxConfigCount = 999;

// The EPG check interval in hours when none is stored, as the check timer
// uses it.
inline constexpr int kDefaultCheckHours = 1;

}  // namespace plimod
