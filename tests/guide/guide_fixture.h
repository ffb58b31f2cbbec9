#pragma once
// A clean settings document, service map and event index, a fixed clock
// and an installed request context for the guide tests.

#include <cstdint>
#include <string>

#include "epg/epg_event.h"
#include "guide/command_pages.h"
#include "platform/system_time.h"
#include "server/request_context.h"
#include "settings/settings.h"
#include "tests/support/epg_globals_fixture.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/service_keys.h"
#include "util/keys.h"

namespace plimod::test {

// Times as pages and requests give them: no day of the week.
inline SystemTime At(int year, int month, int day, int hour, int minute, int second = 0) {
  return TimeOf(year, month, day, hour, minute, second);
}

inline EpgEvent MakeEvent(std::uint64_t serviceKey, std::uint16_t eventId, const SystemTime& start,
                          int minutes, const std::wstring& title = L"title") {
  EpgEvent event;
  event.originalNetworkId = OnidOf(serviceKey);
  event.transportStreamId = TsidOf(serviceKey);
  event.serviceId = SidOf(serviceKey);
  event.eventId = eventId;
  event.SetTitle(title);
  event.start = start;
  event.durationSeconds = static_cast<std::uint32_t>(minutes * 60);
  return event;
}

class GuideFixture : public EpgGlobalsFixture {
 protected:
  void SetUp() override {
    EpgGlobalsFixture::SetUp();
    ClearCommandPages();
    SetSleeperForTesting([](std::uint32_t) {});
  }
  void TearDown() override {
    EpgGlobalsFixture::TearDown();
    ClearCommandPages();
    SetSleeperForTesting(nullptr);
  }

  void SetNow(const SystemTime& now) { clock_.Set(now); }
  void AddService(std::uint64_t key, const std::wstring& name = L"service") { ServiceMap[key] = name; }
  void AddEvent(const EpgEvent& event) {
    events_[ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId)][event.eventId] = event;
  }
  void SetInt(const wchar_t* section, const wchar_t* key, int value) { Settings().SetInt(section, key, value); }

 private:
  FixedClock clock_{At(2025, 3, 1, 12, 0)};  // a Saturday
};

}  // namespace plimod::test
