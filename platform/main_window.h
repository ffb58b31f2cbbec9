#pragma once
// The main window as the rest of the program reaches it: the running main
// loop, or nothing before the start and after the end. Every call is safe
// from any thread; a call made while there is no main loop does nothing and
// reports false, as a post to a window that is gone fails.

#include <cstdint>

namespace plimod {

class MainLoop;

// Makes `loop` the main window (nullptr clears it). Clearing waits for calls
// that are using the old loop to finish, so the loop may be destroyed after.
void SetMainWindowHandle(MainLoop* loop);
// True while a main loop is set.
bool MainWindowHandle();

bool PostMainWindowMessage(std::uint32_t message, std::uintptr_t wparam = 0, std::intptr_t lparam = 0);
bool SetMainWindowTimer(std::uint32_t id, std::uint32_t periodMs);
bool KillMainWindowTimer(std::uint32_t id);

}  // namespace plimod
