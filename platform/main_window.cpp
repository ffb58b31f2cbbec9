#include "platform/main_window.h"

#include <shared_mutex>

#include "platform/main_loop.h"

namespace plimod {

namespace {

std::shared_mutex handleMutex;
MainLoop* handle = nullptr;

template <typename Call>
bool WithMainLoop(Call call) {
  std::shared_lock lock(handleMutex);
  if (handle == nullptr) return false;
  return call(*handle);
}

}  // namespace

void SetMainWindowHandle(MainLoop* loop) {
  std::unique_lock lock(handleMutex);
  handle = loop;
}

bool MainWindowHandle() {
  std::shared_lock lock(handleMutex);
  return handle != nullptr;
}

bool PostMainWindowMessage(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
  return WithMainLoop([&](MainLoop& loop) { return loop.Post(message, wparam, lparam); });
}

bool SetMainWindowTimer(std::uint32_t id, std::uint32_t periodMs) {
  return WithMainLoop([&](MainLoop& loop) {
    loop.SetTimer(id, periodMs);
    return true;
  });
}

bool KillMainWindowTimer(std::uint32_t id) {
  return WithMainLoop([&](MainLoop& loop) {
    loop.KillTimer(id);
    return true;
  });
}

}  // namespace plimod
