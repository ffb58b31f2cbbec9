#pragma once
// The desktop on a display: a tray icon through the indicator service
// (libayatana-appindicator3) with the program's menu, the settings dialogs,
// the file and folder pickers and message boxes, all in GTK 3.
//
// GTK runs on the main thread, whose loop (GLib's default context) also
// runs the program's main loop. Calls from other threads are queued to it.
// The indicator has no double click: a middle click activates the menu's
// first launcher entry instead, when the menu has one.

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/dialog_models/dialog_host.h"
#include "app/gtk/gtk_icons.h"
#include "platform/desktop.h"

namespace plimod {

class GtkDesktop final : public Desktop, public DialogHost {
 public:
  // After gtk_init_check succeeded, on the main thread.
  GtkDesktop();
  ~GtkDesktop() override;
  GtkDesktop(const GtkDesktop&) = delete;
  GtkDesktop& operator=(const GtkDesktop&) = delete;

  void AddTrayIcon(int state) override;
  void SetTrayIcon(int state) override;
  void DeleteTrayIcon() override;
  void BringToForeground() override {}
  // The indicator shows its menu by itself: this replaces that menu.
  void ShowTrayMenu(const TrayMenu& menu) override;
  void ShowMessageBox(std::wstring_view text, std::wstring_view caption) override;

  int RunLauncherDialog(LauncherDialogModel& model) override;
  int RunHttpSettingsDialog(HttpSettingsModel& model) override;
  int RunListDialog(ListDialogModel& model) override;
  FilePick PickFile(const std::wstring& initialFile, int filterIndex, std::wstring& chosen) override;
  std::optional<std::wstring> PickFolder(const std::wstring& initialFolder) override;

  AppIndicator* Indicator() const { return indicator_; }
  // The menu the indicator shows (null before the first ShowTrayMenu).
  GtkMenu* Menu() const;

 private:
  // Runs `job` now on the main thread, else queues it to the main loop.
  void OnMainThread(std::function<void()> job);
  void ApplyTrayState();
  // Runs the dialog modally above the open one; returns its response.
  int RunModal(GtkWidget* dialog);
  GtkWindow* ModalParent() const;

  std::thread::id mainThread_;
  std::shared_ptr<std::atomic<bool>> alive_;
  IconFolder icons_;
  AppIndicator* indicator_ = nullptr;
  std::atomic<int> trayState_{-1};  // -1: no icon
  // Open modal dialogs, innermost last.
  std::vector<GtkWidget*> modalStack_;
};

}  // namespace plimod
