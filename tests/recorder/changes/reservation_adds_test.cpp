// Adds against the test reservation server through whichever client the
// test program links (a program per client runs these): every line gets
// an answer of its own, and an add of one programme goes between the
// commands of an add of several, which learns of it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "recorder/changes/reservations.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"
#include "tests/support/fixed_clock.h"

namespace plimod {
namespace {

using enum AddOutcome;

ReserveLine Line(std::uint16_t eventId, const std::string& title) {
  ReserveLine line;
  line.networkId = 1;
  line.transportStreamId = 2;
  line.serviceId = 3;
  line.eventId = eventId;
  line.title = title;
  line.start = test::TimeOf(2026, 12, 24, 20, eventId, 0);
  line.durationMinutes = 30;
  return line;
}

class ReservationAddsTest : public test::RecorderTest {
 protected:
  void SetUp() override {
    UseServerRecorder();
    ASSERT_TRUE(srv_.Start());
  }
  std::vector<std::wstring> StoredTitles() {
    std::vector<std::wstring> titles;
    for (const SrvReserveData& data : srv_.server().State().reservations) titles.push_back(data.title);
    return titles;
  }
  test::ProgramSrvTestServer srv_;
};

TEST_F(ReservationAddsTest, ARefusedLineNeverStopsTheOthers) {
  srv_.server().RefuseTitle(L"refused");
  EXPECT_EQ(AddNewReservation(settings_, Line(1, "refused 1")), kFailed);
  EXPECT_EQ(AddNewReservations(settings_, {Line(2, "a"), Line(3, "refused 3"), Line(4, "b"), Line(1, "refused 1")}),
            (std::vector<AddOutcome>{kAdded, kFailed, kAdded, kFailed}));
  EXPECT_EQ(StoredTitles(), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST_F(ReservationAddsTest, AnAddOfOneWaitsOnlyForTheCommandInFlight) {
  srv_.server().DelayEveryReply(250);
  std::vector<AddOutcome> several;
  std::thread pass([&] { several = AddNewReservations(settings_, {Line(1, "a"), Line(2, "b")}); });
  for (int i = 0; i < 3000 && srv_.server().Requests().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // The pass looked at the list before this add of one of its programmes.
  const AddOutcome one = AddNewReservation(settings_, Line(2, "page add"));
  pass.join();
  EXPECT_EQ(one, kAdded);
  EXPECT_EQ(several, (std::vector<AddOutcome>{kAdded, kAlreadyReserved}));
  // The pass's look at the list was in flight; the page's look and add came
  // before the pass's adds.
  const std::vector<test::RecordedRequest> requests = srv_.server().Requests();
  const auto pageAdd = std::find_if(requests.begin(), requests.end(), [](const test::RecordedRequest& r) {
    return r.bytes.find(test::Units("page add")) != std::string::npos;
  });
  EXPECT_EQ(pageAdd - requests.begin(), 2);
  EXPECT_EQ(StoredTitles(), (std::vector<std::wstring>{L"page add", L"a"}));
}

}  // namespace
}  // namespace plimod
