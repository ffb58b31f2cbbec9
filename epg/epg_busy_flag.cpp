#include "epg/epg_busy_flag.h"

#include <mutex>
#include <utility>

namespace plimod {

BusyFlag EpgBusyFlag;

namespace {
std::mutex indicatorMutex;
EpgBusyIndicator indicator;
thread_local PageEpgBusyHold* pageHold = nullptr;
}  // namespace

PageEpgBusyHold::PageEpgBusyHold(int polls) : held_(EpgBusyFlag.TryAcquire(polls)) {
  if (!held_) return;
  pageHold = this;
  ShowEpgBusy(true);
}

PageEpgBusyHold::~PageEpgBusyHold() {
  LetGo();
  if (pageHold == this) pageHold = nullptr;
}

void PageEpgBusyHold::LetGo() {
  if (!held_) return;
  held_ = false;
  ShowEpgBusy(false);
  EpgBusyFlag.Release();
}

void LetGoOfEpgBusyFlag() {
  if (pageHold != nullptr) pageHold->LetGo();
}

bool RetakeEpgBusyFlag(const std::function<bool()>& stopping) {
  while (!stopping()) {
    if (EpgBusyFlag.TryAcquire(1)) return true;
  }
  return false;
}

void SetEpgBusyIndicator(EpgBusyIndicator newIndicator) {
  std::lock_guard lock(indicatorMutex);
  indicator = std::move(newIndicator);
}

void ShowEpgBusy(bool busy) {
  EpgBusyIndicator current;
  {
    std::lock_guard lock(indicatorMutex);
    current = indicator;
  }
  if (current) current(busy);
}

}  // namespace plimod
