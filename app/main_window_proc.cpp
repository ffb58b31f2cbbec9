#include "app/main_window_proc.h"

#include "app/after_load_jobs.h"
#include "app/calendar_hooks.h"
#include "app/desktop_access.h"
#include "app/dialogs.h"
#include "app/epg_check_timer.h"
#include "app/epg_reload.h"
#include "app/launcher.h"
#include "app/launcher_shell.h"
#include "app/power_broadcast.h"
#include "app/reserve_list_hooks.h"
#include "app/sleep_guard.h"
#include "app/tray_icon.h"
#include "app/tray_menu_items.h"
#include "epg/epg_folder.h"
#include "epg/epg_folder_watch.h"
#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_page.h"
#include "pages/auto_reserve/auto_reserve_sender.h"
#include "pages/detail/host_file_open.h"
#include "pages/detail/program_detail_page.h"
#include "pages/mobile/mobile_page.h"
#include "pages/recorder/recorder_pages.h"
#include "pages/recorder/reserve_pages.h"
#include "pages/search/line_search_page.h"
#include "pages/settings/settings_pages.h"
#include "platform/desktop.h"
#include "platform/main_window.h"
#include "platform/program_stop.h"
#include "recorder/options/edcb_patterns.h"
#include "recorder/lists/reserve_list_keep.h"
#include "server/http_server.h"
#include "server/http_settings.h"
#include "server/page_hooks.h"
#include "services/recording_alert.h"
#include "services/remote_control.h"
#include "services/syoboi_schedule.h"
#include "services/syoboi_upload.h"
#include "settings/settings.h"
#include "util/log.h"

#include <functional>
#include <memory>
#include <utility>

namespace plimod {

namespace {

EpgWatchOptions FolderWatchJobs() {
  EpgWatchOptions options;
  // The watch's first load always fetches the calendar.
  options.jobs.asksPeers = [] { return AfterLoadAsksPeers(Settings(), true); };
  options.jobs.fetch = []() -> std::function<void()> {
    auto fetch = std::make_shared<const AfterLoadFetch>(FetchAfterLoad(Settings(), true));
    return [fetch] { RunAfterLoad(Settings(), *fetch); };
  };
  options.jobs.armSyoboiUploadTimer = [] { ArmSyoboiUploadTimer(); };
  return options;
}

// The dispatcher reaches the other parts of the program through these.
void ConnectDispatcher(EpgStore& store) {
  DispatcherJobs jobs;
  jobs.loadEpgFolder = [&store] { LoadEpgFolder(store); };
  jobs.runAutoReserve = [] { RunAutoReserve(Settings()); };
  jobs.setSyoboiLoadTimer = [] { SetSyoboiLoadTimer(); };
  jobs.loadReserveList = [] { ReserveListAsLoaded(Settings()); };
  jobs.loadShownReserveList = [] { ReserveListToShow(Settings()); };
  jobs.uploadSyoboiReserves = [](ReplyWriter& out) { UploadSyoboiReserves(Settings(), &out); };
  jobs.tuneRemote = [](const std::string& name, const std::string& host, const std::string& port) {
    return TuneRemoteToService(name, host, port, true);
  };
  SetDispatcherJobs(std::move(jobs));
  RegisterSettingsPages();
  RegisterAutoReservePage();
  RegisterRecorderPages();
  RegisterReservePages();
  SetCommandPage("linesrch", ServeLineSearchPage);
  SetProgramDetailPage(ServeProgramDetailPage);
  SetHostFileOpener(OpenDocumentError);
  SetPageHandler(HandleRequest);
  SetMobilePageHandler(ServeMobilePage, MobilePageLoadsReservations);
  ConnectCalendarSchedule();
  ConnectReserveListMarks();
}

void OnCreate(MainWindow& window) {
  SetMainWindowHandle(&window.loop);
  AddTrayIcon();
  ConnectDispatcher(window.store);
  // Loads the reservation list beside the first EPG load; pages and loads
  // then read it as last loaded.
  StartReserveListRefresh(Settings());
  StartAutoReserveSender();
  ApplyHttpSettings();
  StartHttpServer();
  StartSleepGuard(window.loop);
  if (Settings().GetIntDefault(L"SYSTEM", L"EPGDATACHECKCHANGES", 1) == 1) {
    StartEpgFolderWatch(window.store, FolderWatchJobs());
    SetEpgCheckTimer();
    SetSyoboiLoadTimer();
    ConfigureEdcbAlert();
  } else {
    // The first load runs at once from the loop.
    window.loop.SetTimer(kEpgCheckTimer, 0);
  }
}

void OnDestroy(MainWindow& window) {
  // Threads still waiting on a peer give up now, so the stops below are short.
  RequestProgramStop();
  window.loop.KillTimer(kEpgCheckTimer);
  window.loop.KillTimer(kAfterLoadTimer);
  window.loop.KillTimer(kSyoboiLoadTimer);
  window.loop.KillTimer(kSyoboiUploadTimer);
  StopSleepGuard(window.loop);
  StopHttpServer();
  StopReserveListRefresh();
  StopAutoReserveSender();
  DeleteTrayIcon();
  window.loop.Quit();
}

void OnTimer(MainWindow& window, std::uintptr_t id) {
  switch (id) {
    case kEpgCheckTimer: ReloadEpg(window.store); break;
    case kAfterLoadTimer: RunAfterLoadTimer(); break;
    case kSyoboiLoadTimer: RunSyoboiLoadTimer(); break;
    case kSyoboiUploadTimer: RunSyoboiUploadTimer(); break;
    case kSleepGuardTimer: RunSleepGuard(); break;
    default: break;
  }
}

void OnCommand(MainWindow& window, std::uint32_t command) {
  if (RunLauncherItem(command)) return;
  switch (command) {
    case kCommandExit:
      RequestProgramStop();
      window.loop.Post(WM_CLOSE);
      break;
    case kCommandLauncherDialog: ShowLauncherDialog(); break;
    case kCommandHttpDialog: ShowHttpSettingsDialog(); break;
    case kCommandRecordingFolders: ShowRecordingFolderDialog(); break;
    case kCommandBatchFiles: ShowBatchFileDialog(); break;
    default: break;
  }
}

void OnTrayEvent(std::intptr_t event) {
  switch (event) {
    case kTrayLeftButtonDown: CurrentDesktop().BringToForeground(); break;
    case kTrayLeftDoubleClick: RunLauncherItem(kFirstLauncherCommand); break;
    case kTrayRightButtonUp:
      CurrentDesktop().BringToForeground();
      CurrentDesktop().ShowTrayMenu(BuildTrayMenu());
      break;
    default: break;
  }
}

std::intptr_t OnPowerEvent(std::uintptr_t event) {
  PowerAnswer answer = AnswerPowerEvent(event, [] { return IsRecordingBusy(Settings()); });
  for (const std::string& line : answer.logLines) LogWriteNoPost("%s", line.c_str());
  return answer.result;
}

}  // namespace

std::intptr_t MainWndProc(MainWindow& window, std::uint32_t message, std::uintptr_t wparam,
                          std::intptr_t lparam) {
  switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    case WM_TIMER: OnTimer(window, wparam); return 0;
    case kReloadEpgMessage: ReloadEpg(window.store); return 0;
    case WM_COMMAND: OnCommand(window, static_cast<std::uint32_t>(wparam & 0xFFFF)); return 0;
    case kTrayCallbackMessage:
      if (wparam == 0) OnTrayEvent(lparam);
      return 0;
    case kFlushLogMessage: FlushLogQueue(); return 0;
    case kSleepGuardAnswerMessage: ApplySleepGuardAnswer(wparam != 0); return 0;
    case WM_POWERBROADCAST: return OnPowerEvent(wparam);
    // Closing the window destroys it.
    case WM_CLOSE: OnDestroy(window); return 0;
    case WM_DESTROY: OnDestroy(window); return 0;
    default: return 0;
  }
}

}  // namespace plimod
