#pragma once
// A clean settings document, ServiceMap and event index for the channel
// and search tests, and events built the way the store imports them.

#include <cstdint>
#include <string>

#include "epg/epg_event.h"
#include "platform/system_time.h"
#include "tests/support/epg_globals_fixture.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/search_form.h"
#include "tests/support/service_keys.h"
#include "util/keys.h"

namespace plimod::test {

// Event times as the import gives them, with their day of the week.
inline SystemTime At(int year, int month, int day, int hour, int minute, int second = 0) {
  return WithDayOfWeek(TimeOf(year, month, day, hour, minute, second));
}

inline EpgEvent MakeEvent(std::uint64_t serviceKey, std::uint16_t eventId, const std::wstring& title,
                          const SystemTime& start, const std::wstring& shortText = L"",
                          const std::wstring& extendedText = L"") {
  EpgEvent event;
  event.originalNetworkId = OnidOf(serviceKey);
  event.transportStreamId = TsidOf(serviceKey);
  event.serviceId = SidOf(serviceKey);
  event.eventId = eventId;
  event.SetTitle(title);
  event.SetShortText(shortText);
  event.SetExtendedText(extendedText);
  event.start = start;
  event.durationSeconds = 1800;
  event.SetNormalizedTitle(SearchFormOf(title));
  event.SetNormalizedShortText(SearchFormOf(shortText));
  event.SetNormalizedExtendedText(SearchFormOf(extendedText));
  return event;
}

class SearchFixture : public EpgGlobalsFixture {
 protected:
  void AddService(std::uint64_t key) { ServiceMap[key] = L"service"; }
  void AddEvent(const EpgEvent& event) {
    const std::uint64_t key =
        ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
    AddService(key);
    events_[key][event.eventId] = event;
  }
};

}  // namespace plimod::test
