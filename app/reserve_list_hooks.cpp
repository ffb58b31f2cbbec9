#include "app/reserve_list_hooks.h"

#include <utility>

#include "util/keys.h"

namespace plimod {

std::optional<PageReserveMark> PageReserveMarkOf(const ReserveLists& lists, const EpgEvent& event) {
  const ReserveEntry* entry =
      FindReserve(lists, ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId), event.eventId);
  if (entry == nullptr) return std::nullopt;
  PageReserveMark mark;
  mark.disabled = entry->Disabled();
  mark.inUnrecordableList = IsUnrecordableProgram(lists, entry->ProgramKey());
  mark.unrecordable = entry->unrecordable;
  mark.tunerLabel = entry->tunerLabel;
  mark.comment = entry->comment;
  return mark;
}

void ConnectReserveListMarks() {
  EpgPageHooks hooks = CurrentEpgPageHooks();
  // The table marks its own copies of the events; each look-up holds the
  // lists it reads until it has made the mark.
  hooks.findReserveForEvent = [](const EpgEvent& event) {
    const ReserveSnapshot lists = CurrentReserveLists();
    return PageReserveMarkOf(*lists, event);
  };
  // A page reads the lists it started with.
  hooks.pageStart.push_back([](EpgPageHooks& page) {
    page.findReserveForEvent = [lists = CurrentReserveLists()](const EpgEvent& event) {
      return PageReserveMarkOf(*lists, event);
    };
  });
  SetEpgPageHooks(std::move(hooks));
}

}  // namespace plimod
