#include "app/program.h"

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

#include "app/desktop_access.h"
#include "app/desktop_factory.h"
#include "app/main_window_proc.h"
#include "app/start_delay.h"
#include "app/tray_icon.h"
#include "epg/epg_busy_flag.h"
#include "epg/epg_folder_watch.h"
#include "epg/epg_store.h"
#include "platform/main_loop.h"
#include "platform/main_window.h"
#include "platform/file.h"
#include "platform/program_stop.h"
#include "platform/reload_signal.h"
#include "platform/single_instance.h"
#include "recorder/options/edcb_patterns.h"
#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/base/recorder_mode.h"
#include "server/request_token.h"
#include "services/recording_alert.h"
#include "settings/settings.h"
#include "util/log.h"
#include "util/module_paths.h"

namespace plimod {

namespace {

void LoadSettings() {
  (void)LoadProgramSettings(InitModulePaths(L"plimo.ini"));
}

// Signals arrive as the messages the desktop would send: the exit command
// and the reload request. SIGTERM and SIGINT also stop the program's waits
// on peers at once, from the handler, as the loop may be blocked in one.
// SIGHUP comes through `reloadSignals` (see CatchReloadSignal) when it
// could be made.
void WatchSignals(MainLoop& loop, int reloadSignals) {
  auto exitCommand = [&loop] { loop.Post(WM_COMMAND, kCommandExit); };
  if (const int stopSignals = CatchStopSignals(); stopSignals >= 0) {
    loop.WatchReadable(stopSignals, [exitCommand] {
      TakeStopSignals();
      exitCommand();
    });
  } else {
    loop.WatchSignal(SIGTERM, exitCommand);
    loop.WatchSignal(SIGINT, exitCommand);
  }
  auto reload = [&loop] { loop.Post(kReloadEpgMessage); };
  if (reloadSignals >= 0) {
    loop.WatchReadable(reloadSignals, [reload, reloadSignals] {
      TakeReloadSignals(reloadSignals);
      reload();
    });
  } else {
    loop.WatchSignal(SIGHUP, reload);
  }
}

void WatchLaterStarts(MainLoop& loop, SingleInstance& instance) {
  loop.WatchReadable(instance.Fd(), [&loop, &instance] {
    if (instance.TakeReloadRequest()) loop.Post(kReloadEpgMessage);
  });
}

// After the watch threads were asked to stop: whoever still uses the EPG
// store holds EpgBusyFlag. Taking it for good makes sure no one does or
// will; false when a thread that overran its stop still holds it.
bool ClaimStoreForShutdown() { return EpgBusyFlag.TryAcquire(kEpgReloadPolls); }

}  // namespace

int RunProgram(int argc, const char* const* argv) {
  // Before any thread starts, so that every one inherits the blocked SIGHUP.
  const UniqueFd reloadSignals(CatchReloadSignal());
  std::setlocale(LC_ALL, "C.UTF-8");
  std::signal(SIGPIPE, SIG_IGN);
  // A file-size limit then makes a write fail, which every save reports,
  // instead of ending the program in the middle of it.
  std::signal(SIGXFSZ, SIG_IGN);

  SingleInstance instance(kInstanceName);
  switch (instance.Claim()) {
    case InstanceClaim::kOwned: break;
    case InstanceClaim::kAlreadyRunning: SendReloadRequest(kInstanceName); return 0;
    case InstanceClaim::kFailed: return 0;
  }
  if (int delay = StartDelaySeconds(argc, argv); delay > 0) {
    std::this_thread::sleep_for(std::chrono::seconds(delay));
  }
  LoadSettings();
  MigrateBatchList(Settings());
  MakeRequestToken();
  SetLogFlushPoster([] { return PostMainWindowMessage(kFlushLogMessage); });
  UseDesktop(MakeDesktop());
  SetEpgBusyIndicator([](bool busy) { SetTrayIconState(busy ? kTrayBusy : kTrayNormal); });
  LogWrite("lumod起動\n");
  auto store = std::make_unique<EpgStore>();
  DetectTuners(Settings());

  std::unique_ptr<MainWindow> window;
  MainLoop loop([&window](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    return MainWndProc(*window, message, wparam, lparam);
  });
  window = std::make_unique<MainWindow>(MainWindow{loop, *store});
  WatchSignals(loop, reloadSignals.get());
  WatchLaterStarts(loop, instance);
  loop.Send(WM_CREATE);
  loop.Run();

  StopEpgFolderWatch();
  StopRecordingFolderWatch();
  EndStartedEpgTimerBon();
  bool storeFree = ClaimStoreForShutdown();
  if (storeFree) {
    // Not saved: every page and dialog that changes a setting saves itself.
    Settings().Clear();
    store.reset();
  }
  instance.Release();
  SetLogFlushPoster(nullptr);
  SetMainWindowHandle(nullptr);
  LogWrite("lumod終了\n");
  FlushLogQueue();
  if (!storeFree) {
    // A thread that overran its stop still works on the store and the
    // settings: leave without freeing them under it.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  return 0;
}

}  // namespace plimod
