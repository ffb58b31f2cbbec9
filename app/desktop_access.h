#pragma once
// The desktop the program shows itself on. Headless until start-up picks
// another; message boxes follow the desktop in use.

#include <memory>

#include "platform/desktop.h"

namespace plimod {

Desktop& CurrentDesktop();
// Makes `desktop` current (null: back to the headless one). Called at
// start-up, before other threads run.
void UseDesktop(std::unique_ptr<Desktop> desktop);

}  // namespace plimod
