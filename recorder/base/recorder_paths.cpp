#include "recorder/base/recorder_paths.h"

#include "util/module_paths.h"
#include "util/setting_file_path.h"

namespace plimod {
namespace {

constexpr wchar_t kProgramTxt[] = L"Program.txt";

}  // namespace

std::optional<std::wstring> SiblingFilePath(std::wstring_view path, std::wstring_view name) {
  const std::size_t separator = path.find_last_of(L"/\\");
  if (separator == std::wstring_view::npos) return std::nullopt;
  std::wstring result(path.substr(0, separator));
  result += L'/';
  result += name;
  return result;
}

std::optional<std::wstring> LocateProgramTxt(const IniFile& settings) {
  if (settings.GetIntDefault(L"EPGDATACAP", L"ENABLE", 0) == 0) return std::nullopt;
  std::wstring path;
  if (GetSettingFilePath(settings, path, kMaxPathChars, L"EPGDATACAP", L"PROGRAMTXT", kProgramTxt,
                         false) ||
      GetEpgTimerBonPath(path, kMaxPathChars, kProgramTxt)) {
    return path;
  }
  return std::nullopt;
}

// PROGRAMTXT usually names Program.txt itself (the settings page stores it
// so); the other files lie beside it rather than inside a folder of that name.
std::optional<std::wstring> LocateRecorderFile(const IniFile& settings, std::wstring_view name) {
  std::wstring programTxt;
  if (!GetSettingFilePath(settings, programTxt, kMaxPathChars, L"EPGDATACAP", L"PROGRAMTXT",
                          kProgramTxt, false)) {
    return std::nullopt;
  }
  return SiblingFilePath(programTxt, name);
}

}  // namespace plimod
