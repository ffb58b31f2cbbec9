#pragma once
// The program folder, files beside the program, and path quoting.

#include <cstddef>
#include <string>

namespace plimod {

// Longest path the program builds (the "too long" branches fail beyond it).
inline constexpr std::size_t kMaxPathChars = 4095;

// Removes a pair of double quotes when the path begins with one and the next
// one is its last character.
void UnquotePath(std::wstring& path);
// UnquotePath, then quotes the path when it holds a blank and its length
// plus 2 is below kMaxPathChars.
void QuoteIfBlank(std::wstring& path);

// Remembers the program folder (ProgramDir) and forms the path of
// `fileName` in it, which it returns; empty when the program folder is
// unknown or the path would be too long.
std::wstring InitModulePaths(const std::wstring& fileName);
// The program folder with its trailing "/" (filled by InitModulePaths;
// ProgramDir until then).
std::wstring GetModuleDir();
// The path InitModulePaths formed (empty before).
std::wstring GetModuleFilePath();

// Documents folder + "/EpgTimerBon/" + fileName into `out`; false when the
// folder is unknown or its length plus the name's plus 14 reaches `size`.
bool GetEpgTimerBonPath(std::wstring& out, std::size_t size, const std::wstring& fileName);

}  // namespace plimod
