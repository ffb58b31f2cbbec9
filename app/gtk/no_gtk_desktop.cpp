#include "app/gtk/gtk_desktop_maker.h"

namespace plimod {

std::unique_ptr<Desktop> MakeGtkDesktop() { return nullptr; }

}  // namespace plimod
