#include "app/epg_reload.h"

#include "app/after_load_jobs.h"
#include "app/epg_check_timer.h"
#include "app/tray_icon.h"
#include "epg/epg_busy_flag.h"
#include "epg/epg_folder.h"
#include "platform/desktop.h"
#include "platform/main_window.h"
#include "platform/program_stop.h"
#include "services/recording_alert.h"
#include "services/syoboi_schedule.h"
#include "services/syoboi_upload.h"
#include "settings/settings.h"
#include "util/log.h"

#include <optional>
#include <utility>

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

// The calendar service may take its time: it is asked without the flag, so
// pages keep answering meanwhile, and only matching its answer to the EPG
// data and publishing it take the flag. True with the flag held (the caller
// releases it); false when it stayed held or the program is stopping.
bool FetchSyoboiThenTakeFlag() {
  const SyoboiFetch fetch = FetchSyoboiPrograms(Settings());
  if (ProgramStopRequested() || !EpgBusyFlag.TryAcquire(kEpgReloadPolls)) return false;
  ApplySyoboiPrograms(Settings(), fetch);
  return true;
}

// The jobs of a reload that could not take the flag back at once, with
// what was fetched for them. Used on the main loop only.
std::optional<AfterLoadFetch> pendingAfterLoad;

void DropPendingAfterLoad() {
  pendingAfterLoad.reset();
  KillMainWindowTimer(kAfterLoadTimer);
}

// With the flag held: the jobs, the calendar's follow-ups, the end of the
// reload's busy state.
void FinishAfterLoad(const AfterLoadFetch& fetch) {
  RunAfterLoad(Settings(), fetch);
  if (fetch.calendar) {
    SetSyoboiLoadTimer();
    ArmSyoboiUploadTimer();
    ConfigureEdcbAlert();
  }
  SetTrayIconState(kTrayNormal);
  EpgBusyFlag.Release();
}

}  // namespace

bool ReloadEpg(EpgStore& store) {
  LogWriteNoPost("WM_TIMER\n");
  if (!EpgBusyFlag.TryAcquire(kEpgReloadPolls)) {
    SetEpgCheckTimer();
    return false;
  }
  DropPendingAfterLoad();  // this load fetches for its own jobs
  SetTrayIconState(kTrayBusy);
  LoadEpgFolder(store);
  // Until the calendar answers, every reload tries it again and restarts
  // the recording alert (which stops its old watcher first).
  const bool calendar = SyoboiProgramMapEmpty();
  // The flag is let go only while a peer is asked (the tray keeps showing
  // the reload). A page that slipped in meanwhile keeps it as long as it
  // likes: the jobs then wait for it on a timer of their own, so the loop
  // goes on serving its messages and timers, and they are never dropped.
  const bool letGo = AfterLoadAsksPeers(Settings(), calendar);
  if (letGo) EpgBusyFlag.Release();
  AfterLoadFetch fetch = FetchAfterLoad(Settings(), calendar);
  RearmAfterLoad();
  if (letGo && !EpgBusyFlag.TryAcquire()) {
    if (ProgramStopRequested()) {
      SetTrayIconState(kTrayNormal);
    } else {
      pendingAfterLoad = std::move(fetch);
      SetMainWindowTimer(kAfterLoadTimer, BusyFlag::kPollMs);
    }
    return true;
  }
  FinishAfterLoad(fetch);
  return true;
}

void RunAfterLoadTimer() {
  if (!pendingAfterLoad || ProgramStopRequested()) {
    DropPendingAfterLoad();
    SetTrayIconState(kTrayNormal);
    return;
  }
  if (!EpgBusyFlag.TryAcquire()) return;  // the next tick tries again
  const AfterLoadFetch fetch = std::move(*pendingAfterLoad);
  DropPendingAfterLoad();
  FinishAfterLoad(fetch);
}

void RunSyoboiLoadTimer() {
  LogWriteNoPost("syobocal timer\n");
  if (FetchSyoboiThenTakeFlag()) EpgBusyFlag.Release();
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
