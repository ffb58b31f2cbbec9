#pragma once
// The launcher dialog: six rows of caption and path, stored as
// [LAUNCH_n] CAPTION and PATH.

#include <array>
#include <string>

namespace plimod {

class DialogHost;
class IniFile;

inline constexpr int kLauncherDialogRows = 6;
inline constexpr wchar_t kLauncherDialogTitle[] = L"ﾗﾝﾁｬ設定";
// Longest caption or path the dialog stores.
inline constexpr std::size_t kMaxLauncherFieldChars = 511;

// "LAUNCH_n" for entry n (1-based).
std::wstring LauncherSection(int entry);

struct LauncherRow {
  std::wstring caption;
  std::wstring path;
};

struct LauncherDialogModel {
  std::array<LauncherRow, kLauncherDialogRows> rows;
};

LauncherDialogModel LoadLauncherDialog(const IniFile& settings);
// The browse button of row `row` (0-based): picks a program for its path.
bool BrowseLauncherPath(DialogHost& host, LauncherDialogModel& model, int row);
// OK: writes each non-empty field, deletes the key of each empty one and
// saves the document. False when the save failed.
bool ApplyLauncherDialog(const LauncherDialogModel& model, IniFile& settings);

}  // namespace plimod
