#include "app/gtk/gtk_desktop_maker.h"

#include "app/gtk/gtk_desktop.h"

namespace plimod {

std::unique_ptr<Desktop> MakeGtkDesktop() {
  if (!gtk_init_check(nullptr, nullptr)) return nullptr;
  return std::make_unique<GtkDesktop>();
}

}  // namespace plimod
