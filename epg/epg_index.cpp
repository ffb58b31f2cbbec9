#include "epg/epg_index.h"

namespace plimod {
namespace {
EpgEventMap emptyEventMap;
}  // namespace

EpgEventMap* EpgEventIndex = &emptyEventMap;
std::map<std::uint64_t, std::wstring> ServiceMap;

void DetachEpgEventIndex(const EpgEventMap& events) {
  if (EpgEventIndex == &events) EpgEventIndex = &emptyEventMap;
}

std::shared_mutex& EpgDataLock() {
  static std::shared_mutex lock;
  return lock;
}

}  // namespace plimod
