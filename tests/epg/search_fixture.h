#pragma once
// A clean settings document, ServiceMap and event index for the channel
// and search tests, and events built the way the store imports them.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "epg/epg_event.h"
#include "epg/epg_index.h"
#include "epg/mark_switch.h"
#include "platform/system_time.h"
#include "settings/settings.h"
#include "tests/support/fixed_clock.h"
#include "util/keys.h"
#include "util/text_normalize.h"

namespace plimod::test {

// Terrestrial, BS, CS and other service keys with a given service id.
inline std::uint64_t TrKey(std::uint16_t sid) { return ServiceKey(0x7FE0, 0x7FE0, sid); }
inline std::uint64_t BsKey(std::uint16_t sid) { return ServiceKey(4, 0x4010, sid); }
inline std::uint64_t CsKey(std::uint16_t sid) { return ServiceKey(6, 0x6020, sid); }
inline std::uint64_t OtherKey(std::uint16_t sid) { return ServiceKey(1, 0x0001, sid); }

// Event times as the import gives them, with their day of the week.
inline SystemTime At(int year, int month, int day, int hour, int minute, int second = 0) {
  return WithDayOfWeek(TimeOf(year, month, day, hour, minute, second));
}

// The search form of a stored text, as the import builds it.
inline std::wstring SearchFormOf(const std::wstring& text) {
  std::wstring form = NormalizedCopy(text, L"");
  escapeSearchWord(form);
  return form;
}

inline EpgEvent MakeEvent(std::uint64_t serviceKey, std::uint16_t eventId, const std::wstring& title,
                          const SystemTime& start, const std::wstring& shortText = L"",
                          const std::wstring& extendedText = L"") {
  EpgEvent event;
  event.originalNetworkId = OnidOf(serviceKey);
  event.transportStreamId = TsidOf(serviceKey);
  event.serviceId = SidOf(serviceKey);
  event.eventId = eventId;
  event.title = title;
  event.shortText = shortText;
  event.extendedText = extendedText;
  event.start = start;
  event.durationSeconds = 1800;
  event.normalizedTitle = SearchFormOf(title);
  event.normalizedShortText = SearchFormOf(shortText);
  event.normalizedExtendedText = SearchFormOf(extendedText);
  return event;
}

class SearchFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings().Clear();
    ServiceMap.clear();
    savedIndex_ = EpgEventIndex;
    EpgEventIndex = &events_;
    MarkSwitch = 0;
  }
  void TearDown() override {
    EpgEventIndex = savedIndex_;
    Settings().Clear();
    ServiceMap.clear();
    MarkSwitch = 0;
  }

  void AddService(std::uint64_t key) { ServiceMap[key] = L"service"; }
  void AddEvent(const EpgEvent& event) {
    const std::uint64_t key =
        ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
    AddService(key);
    events_[key][event.eventId] = event;
  }
  void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    Settings().SetString(section, key, value);
  }

  EpgEventMap events_;

 private:
  EpgEventMap* savedIndex_ = nullptr;
};

}  // namespace plimod::test
