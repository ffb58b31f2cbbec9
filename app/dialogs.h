#pragma once
// The settings dialogs the tray menu opens. They need a desktop that can
// show dialogs (DialogHost); on the headless desktop they do nothing.

namespace plimod {

class DialogHost;

void ShowLauncherDialog();
// OK saves the settings and restarts the HTTP server with them.
void ShowHttpSettingsDialog();
void ShowRecordingFolderDialog();
void ShowBatchFileDialog();

// The current desktop's dialogs, or null when it has none.
DialogHost* CurrentDialogHost();

}  // namespace plimod
