#pragma once
// A fixture over the program's EPG globals: an empty settings document and
// service map, marking off, and an event index that is the test's own
// events_; all put back afterwards. Header only: tests that use it link the
// epg and settings libraries anyway.

#include <gtest/gtest.h>

#include <string>

#include "epg/epg_event.h"
#include "epg/epg_index.h"
#include "epg/mark_switch.h"
#include "settings/settings.h"

namespace plimod::test {

class EpgGlobalsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearGlobals();
    savedIndex_ = EpgEventIndex;
    EpgEventIndex = &events_;
  }
  void TearDown() override {
    EpgEventIndex = savedIndex_;
    ClearGlobals();
  }

  void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    Settings().SetString(section, key, value);
  }

  EpgEventMap events_;

 private:
  static void ClearGlobals() {
    Settings().Clear();
    ServiceMap.clear();
    MarkSwitch = 0;
  }

  EpgEventMap* savedIndex_ = nullptr;
};

}  // namespace plimod::test
