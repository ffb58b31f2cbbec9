#include "app/dialogs.h"

namespace plimod {

// The dialogs need a display and are not built yet.
void ShowLauncherDialog() {}
void ShowHttpSettingsDialog() {}
void ShowRecordingFolderDialog() {}
void ShowBatchFileDialog() {}

}  // namespace plimod
