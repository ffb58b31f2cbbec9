#pragma once
// The settings dialogs the tray menu opens.

namespace plimod {

void ShowLauncherDialog();
void ShowHttpSettingsDialog();
void ShowRecordingFolderDialog();
void ShowBatchFileDialog();

}  // namespace plimod
