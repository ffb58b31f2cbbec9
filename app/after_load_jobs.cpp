#include "app/after_load_jobs.h"

#include "pages/auto_reserve/auto_reserve.h"
#include "pages/auto_reserve/auto_reserve_sender.h"

namespace plimod {

bool AfterLoadAsksPeers(const IniFile& settings, bool calendar) {
  return (calendar && SyoboiCalendarEnabled(settings)) || AutoReserveAsksServer(settings);
}

AfterLoadFetch FetchAfterLoad(const IniFile& settings, bool calendar) {
  AfterLoadFetch fetch;
  fetch.calendar = calendar;
  if (calendar) fetch.syoboi = FetchSyoboiPrograms(settings);
  fetch.autoReserve = FetchAutoReserveLists(settings);
  return fetch;
}

void RunAfterLoad(IniFile& settings, const AfterLoadFetch& fetch) {
  if (fetch.calendar) ApplySyoboiPrograms(settings, fetch.syoboi);
  if (fetch.autoReserve) SendAutoReserveInTurn(settings, PlanAutoReservePass(settings, *fetch.autoReserve));
}

}  // namespace plimod
