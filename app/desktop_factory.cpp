#include "app/desktop_factory.h"

#include <cstdlib>

#include "app/gtk/gtk_desktop_maker.h"
#include "util/log.h"

namespace plimod {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

bool DisplayPresent() { return Set("DISPLAY") || Set("WAYLAND_DISPLAY"); }

std::unique_ptr<Desktop> MakeDesktop() {
  if (!DisplayPresent()) return nullptr;
  std::unique_ptr<Desktop> desktop = MakeGtkDesktop();
  LogWriteNoPost(desktop ? "desktop: GTK\n" : "desktop: headless (no GTK desktop for this display)\n");
  return desktop;
}

}  // namespace plimod
