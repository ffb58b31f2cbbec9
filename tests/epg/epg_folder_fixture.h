#pragma once
// A fixture for the folder load and the watch: an EPG data folder in a
// temporary folder, the settings document pointing at it, a fixed clock and
// empty globals, restored afterwards.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <shared_mutex>
#include <thread>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/epg_store.h"
#include "epg_test_data.h"
#include "epg_test_support.h"
#include "settings/settings.h"
#include "tests/support/fixed_clock.h"
#include "util/keys.h"

namespace plimod::test {

class EpgFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEpgFolderState();
    ServiceMap.clear();
    Settings().Clear();
    UseFolder(data_.Path());
    SetClockAt(2026, 12, 10, 12, 0, 0);
    store_ = std::make_unique<EpgStore>(RealModuleDir());
  }
  void TearDown() override {
    store_.reset();
    SetClockForTesting({});
    Settings().Clear();
    ServiceMap.clear();
    ResetEpgFolderState();
  }

  void UseFolder(const std::string& folder) {
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER",
                         std::wstring(folder.begin(), folder.end()));
  }
  static void SetClockAt(int year, int month, int day, int hour, int minute, int second) {
    SetClockForTesting([now = TimeOf(year, month, day, hour, minute, second)] { return now; });
  }

  // Each service here comes in a transport stream of its own, whose id is
  // the service id (files of one stream would share one SDT version).
  static constexpr std::uint64_t KeyOf(std::uint16_t sid) { return ServiceKey(kOnid, sid, sid); }

  // A file of the service `sid` with one event.
  static std::string OneServiceFile(std::uint16_t sid, std::u16string name,
                                    std::u16string title = u"番組",
                                    std::uint16_t eventId = 1) {
    return EpgFileBytes(MakeFile({MakeService(sid, 0x01, std::move(name),
                                              {MakeEvent(eventId, 2026, 12, 10, 18, 0, 60,
                                                         std::move(title))})},
                                 sid));
  }
  void WriteDataFile(const std::string& name, const std::string& bytes) {
    WriteFileBytes(data_.File(name), bytes);
  }

  static bool ServiceShown(std::uint16_t sid) {
    std::shared_lock lock(EpgDataLock());
    return ServiceMap.contains(KeyOf(sid));
  }
  static std::wstring ShownName(std::uint16_t sid) {
    std::shared_lock lock(EpgDataLock());
    auto it = ServiceMap.find(KeyOf(sid));
    return it == ServiceMap.end() ? L"" : it->second;
  }
  const EpgEvent* IndexedEvent(std::uint16_t sid, std::uint16_t eventId) const {
    auto service = EpgEventIndex->find(KeyOf(sid));
    if (service == EpgEventIndex->end()) return nullptr;
    auto event = service->second.find(eventId);
    return event == service->second.end() ? nullptr : &event->second;
  }

  // Polls `condition` every 10 ms for up to a minute (a busy machine).
  static bool WaitUntil(const std::function<bool()>& condition) {
    for (int i = 0; i < 6000; ++i) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return condition();
  }

  TempFolder data_;
  std::unique_ptr<EpgStore> store_;
};

}  // namespace plimod::test
