#include "app/desktop_access.h"

#include <utility>

#include "app/headless_desktop.h"
#include "platform/message_box.h"

namespace plimod {

namespace {

std::unique_ptr<Desktop>& Current() {
  static std::unique_ptr<Desktop> desktop = std::make_unique<HeadlessDesktop>();
  return desktop;
}

}  // namespace

Desktop& CurrentDesktop() { return *Current(); }

void UseDesktop(std::unique_ptr<Desktop> desktop) {
  Current() = desktop ? std::move(desktop) : std::make_unique<HeadlessDesktop>();
  SetMessageBoxSink([](std::wstring_view text, std::wstring_view caption) {
    CurrentDesktop().ShowMessageBox(text, caption);
  });
}

}  // namespace plimod
