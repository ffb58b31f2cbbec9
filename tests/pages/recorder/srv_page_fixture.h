#pragma once
// The recorder pages with the reservation server: the test server running
// under the program's names, reservations of programme (1, 2, 3, event)
// for it, and the names the pages give them.

#include <cstdint>
#include <string>

#include "pages/recorder/edcid.h"
#include "tests/fakes/epgtimer_srv/fake_epgtimer_srv.h"
#include "tests/pages/recorder/recorder_page_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/support/fixed_clock.h"
#include "util/keys.h"

namespace plimod::test {

// "予約<id>" on "局", 2025/03/02 21:00 for 30 minutes.
inline SrvReserveData SrvReservation(std::uint32_t id, std::uint16_t event) {
  SrvReserveData data;
  data.title = L"予約" + std::to_wstring(id);
  data.start = TimeOf(2025, 3, 2, 21, 0, 0);
  data.duration = 1800;
  data.station = L"局";
  data.originalNetworkId = 1;
  data.transportStreamId = 2;
  data.serviceId = 3;
  data.eventId = event;
  data.reserveId = id;
  return data;
}

inline std::string SrvEdcidOf(std::uint16_t event, std::int32_t reserveId) {
  return MakeEdcid(ProgramKey(event, ServiceKey(1, 2, 3)), reserveId);
}

class SrvRecorderPageTest : public RecorderPageTest {
 protected:
  void SetUp() override {
    RecorderPageTest::SetUp();
    UseRecorderIni("EpgTimerSrv.ini");
    ASSERT_TRUE(srv_.Start());
  }

  ProgramSrvTestServer srv_;
};

}  // namespace plimod::test
