#include "guide/epg_page/epg_page_hooks.h"

#include <mutex>
#include <utility>

namespace plimod {

namespace {

std::mutex& HooksMutex() {
  static std::mutex mutex;
  return mutex;
}

EpgPageHooks& Hooks() {
  static EpgPageHooks hooks;
  return hooks;
}

}  // namespace

void SetEpgPageHooks(EpgPageHooks hooks) {
  std::lock_guard lock(HooksMutex());
  Hooks() = std::move(hooks);
}

EpgPageHooks CurrentEpgPageHooks() {
  std::lock_guard lock(HooksMutex());
  return Hooks();
}

EpgPageHooks EpgPageHooksForPage() {
  EpgPageHooks hooks = CurrentEpgPageHooks();
  const auto steps = hooks.pageStart;  // a step may change the hooks it runs on
  for (const auto& step : steps) step(hooks);
  return hooks;
}

}  // namespace plimod
