#pragma once
// What the dialogs need from a desktop that can show them: the modal
// dialogs themselves and the file and folder pickers. A desktop without a
// display has none, so the dialogs cannot be reached there.

#include <optional>
#include <string>

namespace plimod {

class LauncherDialogModel;
class HttpSettingsModel;
class ListDialogModel;

// Dialog results, as the dialogs have always closed.
inline constexpr int kDialogOk = 1;
inline constexpr int kDialogCancel = 2;

enum class FilePick {
  kChosen,
  kCancelled,
  // The initial file was not a usable file name; the picker never opened.
  kInvalidInitialFile,
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;

  // Each runs its dialog modally on the main thread over the model and
  // returns kDialogOk or kDialogCancel.
  virtual int RunLauncherDialog(LauncherDialogModel& model) = 0;
  virtual int RunHttpSettingsDialog(HttpSettingsModel& model) = 0;
  virtual int RunListDialog(ListDialogModel& model) = 0;

  // An existing file; `initialFile` may be empty. `filterIndex` selects the
  // filter list (FileFilterList).
  virtual FilePick PickFile(const std::wstring& initialFile, int filterIndex,
                            std::wstring& chosen) = 0;
  // A folder, starting at `initialFolder`; nullopt when cancelled.
  virtual std::optional<std::wstring> PickFolder(const std::wstring& initialFolder) = 0;
};

}  // namespace plimod
