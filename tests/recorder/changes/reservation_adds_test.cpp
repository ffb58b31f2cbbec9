// Adds against the test reservation server through whichever client the
// test program links (a program per client runs these): every line gets
// an answer of its own, an add of one programme goes between the commands
// of an add of several, which learns of it, and a page's change goes
// before the kept list's next command.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "recorder/base/page_turns.h"
#include "recorder/base/reserve_row.h"
#include "recorder/changes/reservations.h"
#include "recorder/lists/reserve_list_keep.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/recorder/srv_test_server.h"
#include "tests/recorder/wire_bytes.h"
#include "tests/support/eventually.h"
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

using Clock = std::chrono::steady_clock;

// The first request's code of each connection: one command of the newer
// set, or one list walk of the older.
bool CarriesTitle(const test::RecordedRequest& request, const std::string& title) {
  return request.bytes.find(test::Units(title)) != std::string::npos;
}

class ReservationAddsTest : public test::RecorderTest {
 protected:
  void SetUp() override {
    UseServerRecorder();
    ASSERT_TRUE(srv_.Start());
  }
  ~ReservationAddsTest() override { StopReserveListRefresh(); }
  std::vector<std::wstring> StoredTitles() {
    std::vector<std::wstring> titles;
    for (const SrvReserveData& data : srv_.server().State().reservations) titles.push_back(data.title);
    return titles;
  }
  // Waits, a busy machine's while, for the server's requests to be `ready`.
  template <typename Ready>
  bool WaitForRequests(Ready ready) {
    return test::Eventually([&] { return ready(srv_.server().Requests()); });
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
  const auto pageAdd = std::find_if(requests.begin(), requests.end(),
                                    [](const test::RecordedRequest& r) { return CarriesTitle(r, "page add"); });
  EXPECT_EQ(pageAdd - requests.begin(), 2);
  EXPECT_EQ(StoredTitles(), (std::vector<std::wstring>{L"page add", L"a"}));
  // The pass left the programme out and holds no turn of it.
  const auto start = Clock::now();
  EXPECT_EQ(AddNewReservation(settings_, Line(2, "again")), kAlreadyReserved);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "a later add waited for a turn the pass kept";
}

// The page's add waits for the command that carries its programme; only
// that command's end lets it go, and the pass still has commands to send.
TEST_F(ReservationAddsTest, AnAddOfAProgrammeInACommandGoesWhenThatCommandEnds) {
  srv_.server().DelayEveryReply(500);
  srv_.server().RefuseTitle(L"refused");  // the newer set sends the rest again row by row
  std::vector<AddOutcome> several;
  std::thread pass([&] { several = AddNewReservations(settings_, {Line(1, "pass"), Line(2, "refused"), Line(3, "b")}); });
  const bool sent = WaitForRequests([](const std::vector<test::RecordedRequest>& requests) {
    return std::any_of(requests.begin(), requests.end(), [](const auto& r) { return CarriesTitle(r, "pass"); });
  });
  EXPECT_TRUE(sent) << "the pass never sent its first add";
  const auto start = Clock::now();
  const AddOutcome one = AddNewReservation(settings_, Line(1, "page add"));
  const auto took = Clock::now() - start;
  pass.join();
  EXPECT_LT(took, std::chrono::seconds(20)) << "the page's add waited for a turn past the command";
  EXPECT_TRUE(one == kAdded || one == kAlreadyReserved);
  EXPECT_EQ(several[1], kFailed);
  EXPECT_EQ(several[2], kAdded);
  EXPECT_EQ(StoredTitles().size(), 2u);
}

// The kept list's load at a slow server: a page's change (look, add, look
// again for the new id) goes right after the load's command in flight.
TEST_F(ReservationAddsTest, APageChangeGoesRightAfterTheListLoadsCommandInFlight) {
  srv_.server().DelayEveryReply(500);
  ASSERT_TRUE(StartReserveListRefresh(settings_));
  ASSERT_TRUE(WaitForRequests([](const std::vector<test::RecordedRequest>& requests) { return !requests.empty(); }));
  {
    const PageServerTurn turn;
    EXPECT_EQ(AddNewReservation(settings_, Line(1, "page add")), kAdded);
    std::vector<std::uint64_t> listed;
    EXPECT_EQ(SrvEnumReservedPrograms(listed, 15'000), 0);
  }
  // The load's own next command follows.
  EXPECT_TRUE(WaitForRequests([](const auto& requests) { return test::CommandsOf(requests).size() >= 5; }));
  std::vector<std::uint32_t> order = test::CommandsOf(srv_.server().Requests());
  order.resize(std::min<std::size_t>(order.size(), 5));
  // The tuners, the page's look, add and look, the load's reservations.
  const std::vector<std::uint32_t> newer = {1016, 1011, 1013, 1011, 1011};
  const std::vector<std::uint32_t> older = {16, 10, 13, 10, 10};
  EXPECT_EQ(order, SrvListsRecordingResults() ? newer : older);
}

}  // namespace
}  // namespace plimod
