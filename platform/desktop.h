#pragma once
// What the program shows on the user's desktop: the tray icon with its
// popup menu, and message boxes. Tray events come back to the main window
// as the tray callback message (kTray* in lparam); a chosen menu command as
// WM_COMMAND.

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/tray_menu.h"
#include "platform/window_messages.h"

namespace plimod {

// Tray icon states.
inline constexpr int kTrayNormal = 0;
inline constexpr int kTrayBusy = 1;

// The message tray events come back in (wparam 0: the program's icon).
inline constexpr std::uint32_t kTrayCallbackMessage = WM_APP;

// Tray callback events (lparam of the tray callback message).
inline constexpr long kTrayLeftButtonDown = 0x0201;
inline constexpr long kTrayLeftDoubleClick = 0x0203;
inline constexpr long kTrayRightButtonUp = 0x0205;

class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual void AddTrayIcon(int state) = 0;
  virtual void SetTrayIcon(int state) = 0;
  virtual void DeleteTrayIcon() = 0;
  virtual void BringToForeground() = 0;
  // Shows the menu at the pointer; returns at once or after the choice.
  virtual void ShowTrayMenu(const TrayMenu& menu) = 0;
  // Never blocks for long.
  virtual void ShowMessageBox(std::wstring_view text, std::wstring_view caption) = 0;
};

}  // namespace plimod
