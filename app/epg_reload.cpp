#include "app/epg_reload.h"

#include "app/epg_check_timer.h"
#include "app/tray_icon.h"
#include "epg/epg_busy_flag.h"
#include "epg/epg_folder.h"
#include "pages/auto_reserve.h"
#include "platform/desktop.h"
#include "platform/main_window.h"
#include "services/recording_alert.h"
#include "services/syoboi_schedule.h"
#include "services/syoboi_upload.h"
#include "settings/settings.h"
#include "util/log.h"

namespace plimod {

namespace {

// After a load, timer 100 runs at the configured period. With none
// configured it stops: otherwise the immediate first-load timer would keep
// reloading at its minimum pace forever.
void RearmAfterLoad() {
  if (ConfiguredEpgCheckPeriodMs()) {
    SetEpgCheckTimer();
  } else {
    KillMainWindowTimer(kEpgCheckTimer);
  }
}

}  // namespace

bool ReloadEpg(EpgStore& store) {
  LogWriteNoPost("WM_TIMER\n");
  if (!EpgBusyFlag.TryAcquire(kEpgReloadPolls)) {
    SetEpgCheckTimer();
    return false;
  }
  SetTrayIconState(kTrayBusy);
  LoadEpgFolder(store);
  // Until the calendar answers, every reload tries it again and restarts
  // the recording alert (which stops its old watcher first).
  if (SyoboiProgramMapEmpty()) {
    RefreshSyoboiPrograms();
    SetSyoboiLoadTimer();
    ArmSyoboiUploadTimer();
    ConfigureEdcbAlert();
  }
  RunAutoReserve(Settings());
  SetTrayIconState(kTrayNormal);
  EpgBusyFlag.Release();
  RearmAfterLoad();
  return true;
}

void RunSyoboiLoadTimer() {
  LogWriteNoPost("syobocal timer\n");
  if (EpgBusyFlag.TryAcquire(kEpgReloadPolls)) {
    RefreshSyoboiPrograms();
    EpgBusyFlag.Release();
  }
  SetSyoboiLoadTimer();
}

void RunSyoboiUploadTimer() {
  KillMainWindowTimer(kSyoboiUploadTimer);
  // The upload reads the reservation list and the EPG store: it holds the
  // flag like every other reader. When the flag stays held it is dropped.
  if (!EpgBusyFlag.TryAcquire(kEpgReloadPolls)) return;
  UploadSyoboiReserves(Settings(), nullptr);
  EpgBusyFlag.Release();
}

}  // namespace plimod
