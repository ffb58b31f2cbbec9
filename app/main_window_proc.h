#pragma once
// The main window's handler: what the program does for each message and
// timer of its main loop.

#include <cstdint>

#include "epg/epg_store.h"
#include "platform/desktop.h"
#include "platform/main_loop.h"
#include "platform/window_messages.h"
#include "recorder/options/edcb_patterns.h"

namespace plimod {

// Private messages.
inline constexpr std::uint32_t kReloadEpgMessage = WM_APP + 1;
inline constexpr std::uint32_t kFlushLogMessage = WM_APP + 2;

// Tray-menu commands.
inline constexpr std::uint32_t kCommandExit = 40001;
inline constexpr std::uint32_t kCommandLauncherDialog = 40003;
inline constexpr std::uint32_t kCommandHttpDialog = 40004;
inline constexpr std::uint32_t kCommandRecordingFolders = kRecFolderListCommand;
inline constexpr std::uint32_t kCommandBatchFiles = kBatchListCommand;

// What the handler works on: the loop it runs in and the EPG store.
struct MainWindow {
  MainLoop& loop;
  EpgStore& store;
};

std::intptr_t MainWndProc(MainWindow& window, std::uint32_t message, std::uintptr_t wparam,
                          std::intptr_t lparam);

}  // namespace plimod
