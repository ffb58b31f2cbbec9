#include "app/tray_icon.h"

#include <atomic>

#include "app/desktop_access.h"

namespace plimod {

namespace {

std::atomic<int> storedState{kTrayNormal};

int Resolve(int state) {
  if (state >= 0) storedState.store(state);
  return storedState.load();
}

}  // namespace

void AddTrayIcon(int state) { CurrentDesktop().AddTrayIcon(Resolve(state)); }

void SetTrayIconState(int state) { CurrentDesktop().SetTrayIcon(Resolve(state)); }

void DeleteTrayIcon() { CurrentDesktop().DeleteTrayIcon(); }

int TrayIconState() { return storedState.load(); }

}  // namespace plimod
