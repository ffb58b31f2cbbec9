#include "app/headless_desktop.h"

#include <cstdio>

#include "platform/text_codec.h"
#include "util/log.h"

namespace plimod {

void HeadlessDesktop::AddTrayIcon(int state) {
  std::lock_guard lock(mutex_);
  shownState_ = state;
  LogWriteNoPost("tray icon %d\n", state);
}

void HeadlessDesktop::SetTrayIcon(int state) {
  std::lock_guard lock(mutex_);
  // Not logged: the icon changes with every busy spell, and its lines
  // would crowd the useful ones out of the short log.
  if (shownState_ < 0) return;
  shownState_ = state;
}

void HeadlessDesktop::DeleteTrayIcon() {
  std::lock_guard lock(mutex_);
  if (shownState_ < 0) return;
  shownState_ = -1;
  LogWriteNoPost("tray icon removed\n");
}

void HeadlessDesktop::ShowMessageBox(std::wstring_view text, std::wstring_view caption) {
  std::string line = WideToUtf8String(caption) + ": " + WideToUtf8String(text);
  if (!line.empty() && line.back() != '\n') line += '\n';
  std::fputs(line.c_str(), stderr);
  LogWrite("%s", line.c_str());
}

}  // namespace plimod
