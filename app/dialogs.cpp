#include "app/dialogs.h"

#include "app/desktop_access.h"
#include "app/dialog_models/dialog_host.h"
#include "app/dialog_models/http_settings_model.h"
#include "app/dialog_models/launcher_dialog_model.h"
#include "app/dialog_models/list_dialog_model.h"
#include "server/http_server.h"
#include "server/http_settings.h"
#include "settings/settings.h"

namespace plimod {

namespace {

// The dialogs are modal, but the tray menu stays usable while one is open:
// a second one waits for the first to close.
bool dialogOpen = false;

class OpenDialog {
 public:
  OpenDialog() : granted_(!dialogOpen) { dialogOpen = true; }
  ~OpenDialog() {
    if (granted_) dialogOpen = false;
  }
  OpenDialog(const OpenDialog&) = delete;
  OpenDialog& operator=(const OpenDialog&) = delete;
  bool Granted() const { return granted_; }

 private:
  bool granted_;
};

void ShowListDialog(ListKind kind) {
  DialogHost* host = CurrentDialogHost();
  OpenDialog open;
  if (host == nullptr || !open.Granted()) return;
  ListDialogModel model(Settings(), kind);
  host->RunListDialog(model);
  model.Close();
}

}  // namespace

DialogHost* CurrentDialogHost() { return dynamic_cast<DialogHost*>(&CurrentDesktop()); }

void ShowLauncherDialog() {
  DialogHost* host = CurrentDialogHost();
  OpenDialog open;
  if (host == nullptr || !open.Granted()) return;
  LauncherDialogModel model = LoadLauncherDialog(Settings());
  if (host->RunLauncherDialog(model) == kDialogOk) ApplyLauncherDialog(model, Settings());
}

void ShowHttpSettingsDialog() {
  DialogHost* host = CurrentDialogHost();
  OpenDialog open;
  if (host == nullptr || !open.Granted()) return;
  HttpSettingsModel model = LoadHttpSettingsDialog(Settings());
  if (host->RunHttpSettingsDialog(model) != kDialogOk) return;
  ApplyHttpSettingsDialog(model, Settings());
  StopHttpServer();
  ApplyHttpSettings();
  StartHttpServer();
}

void ShowRecordingFolderDialog() { ShowListDialog(ListKind::kRecordingFolders); }

void ShowBatchFileDialog() { ShowListDialog(ListKind::kBatchFiles); }

}  // namespace plimod
