// Adds of one programme through the reservation page against the test
// reservation server, through the client the program links.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "pages/recorder/reserve_add_page.h"
#include "tests/pages/recorder/srv_page_fixture.h"

namespace plimod::test {
namespace {

class ReserveAddSrvTest : public SrvRecorderPageTest {
 protected:
  void SetUp() override {
    SrvRecorderPageTest::SetUp();
    EpgEvent event;
    event.originalNetworkId = 1;
    event.transportStreamId = 2;
    event.serviceId = 3;
    event.eventId = 0x11;
    event.start = TimeOf(2025, 3, 2, 21, 0, 0);
    event.durationSeconds = 1800;
    event.SetTitle(L"番組");
    AddEvent(event);
    AddService(ServiceKey(1, 2, 3), L"局");
  }
  std::string SilentAdd() { return Run(ServeReserveAddPage, "cmd=edc&sid=100020003&eid=11&silent=1"); }
  std::size_t Stored() { return srv_.server().State().reservations.size(); }
};

TEST_F(ReserveAddSrvTest, SilentAddsOfOneProgrammeReserveItOnceInTurnOrAtOnce) {
  const std::string refused = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nすでに予約されています \n";
  EXPECT_TRUE(Contains(SilentAdd(), "登録しました<BR>\n"));
  EXPECT_EQ(SilentAdd(), refused);
  EXPECT_EQ(Stored(), 1u);

  // A slow server lets every tap look before the first one adds.
  srv_.server().SetState({});
  srv_.server().DelayEveryReply(20);
  std::vector<std::string> replies(8);
  std::vector<std::thread> taps;
  for (std::string& reply : replies) taps.emplace_back([&reply, this] { reply = SilentAdd(); });
  for (std::thread& tap : taps) tap.join();
  EXPECT_EQ(std::count(replies.begin(), replies.end(), refused), 7);
  EXPECT_EQ(Stored(), 1u);
}

}  // namespace
}  // namespace plimod::test
