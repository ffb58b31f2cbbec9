#pragma once
// The desktop of a machine without a display (and of the tests): the tray
// icon exists only as its state; the log records its creation and removal;
// message boxes go to the log and to standard error.

#include <mutex>

#include "platform/desktop.h"

namespace plimod {

class HeadlessDesktop : public Desktop {
 public:
  void AddTrayIcon(int state) override;
  void SetTrayIcon(int state) override;
  void DeleteTrayIcon() override;
  void BringToForeground() override {}
  void ShowTrayMenu(const TrayMenu&) override {}
  void ShowMessageBox(std::wstring_view text, std::wstring_view caption) override;

 private:
  std::mutex mutex_;
  int shownState_ = -1;  // -1: no icon
};

}  // namespace plimod
