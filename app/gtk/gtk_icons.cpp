#include "app/gtk/gtk_icons.h"

#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "platform/desktop.h"
#include "platform/file.h"

namespace plimod {

namespace {

std::string IconFile(const std::string& folder, const EmbeddedIcon& icon) {
  return folder + "/" + icon.name + ".png";
}

}  // namespace

IconFolder::IconFolder() {
  std::string pattern = std::string(g_get_user_runtime_dir()) + "/plimod-icons-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return;
  path_ = pattern;
  for (const EmbeddedIcon& icon : kTrayIconFiles) {
    std::string_view bytes(reinterpret_cast<const char*>(icon.data), icon.size);
    if (!ReplaceFileAtomically(IconFile(path_, icon), bytes)) {
      std::fprintf(stderr, "tray icon %s could not be written\n", icon.name);
    }
  }
}

IconFolder::~IconFolder() {
  if (path_.empty()) return;
  for (const EmbeddedIcon& icon : kTrayIconFiles) unlink(IconFile(path_, icon).c_str());
  rmdir(path_.c_str());
}

std::string IconFolder::IconPath(int trayState) const {
  return IconFile(path_, kTrayIconFiles[trayState == kTrayBusy ? 1 : 0]);
}

}  // namespace plimod
