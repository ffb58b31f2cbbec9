#pragma once
// The program's version and build date as the settings page shows them.

#include <string>
#include <string_view>

namespace plimod {

inline constexpr const char* kProgramVersion = "0.7.22";

// "Jan 25 2018" (the compiler's date: month, day padded with a blank, year)
// as "2018/1/25"; an unknown month shows as 0.
std::string FormatBuildDate(std::string_view compilerDate);

// This build's date in that form.
std::string ProgramBuildDate();

}  // namespace plimod
