#pragma once
// The tray icon's state: kTrayNormal or kTrayBusy. A negative state keeps
// the stored one. Safe from any thread (the EPG folder watch shows its
// loads as busy too).

namespace plimod {

// Adds the icon (again, after the desktop restarted) showing `state`.
void AddTrayIcon(int state = -1);
// Changes only the icon of the existing tray icon.
void SetTrayIconState(int state);
void DeleteTrayIcon();
int TrayIconState();

}  // namespace plimod
