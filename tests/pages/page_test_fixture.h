#pragma once
// The settings-page fixture with what the search condition page also needs:
// a clock that stands still, services and events filled by hand, and the
// saved settings file as text.

#include <filesystem>
#include <string>

#include "platform/text_codec.h"
#include "tests/guide/guide_fixture.h"
#include "tests/pages/settings_page_fixture.h"

namespace plimod::test {

class PageTest : public SettingsPageFixture {
 protected:
  void SetNow(const SystemTime& now) { clock_.Set(now); }
  void AddService(std::uint64_t key, const std::wstring& name = L"service") { ServiceMap[key] = name; }
  void AddEvent(const EpgEvent& event) {
    events_[ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId)][event.eventId] = event;
  }

  // The settings file as text ("" when it was never saved).
  std::string SavedFile() const { return WideToUtf8String(Utf16LeToWide(IniBytes())); }
  bool Saved() const { return std::filesystem::exists(IniPath()); }

 private:
  FixedClock clock_{At(2025, 3, 1, 12, 0)};  // a Saturday
};

// Occurrences of `part` in `text`.
inline int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

}  // namespace plimod::test
