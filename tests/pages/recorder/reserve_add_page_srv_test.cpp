// Adds of one programme through the reservation page against the test
// reservation server, through the client the program links.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "epg/epg_busy_flag.h"
#include "pages/recorder/reserve_add_page.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_load.h"
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
  void TearDown() override {
    StopReserveListRefresh();
    SrvRecorderPageTest::TearDown();
  }
  std::string SilentAdd() { return Run(ServeReserveAddPage, "cmd=edc&sid=100020003&eid=11&silent=1"); }
  std::size_t Stored() { return srv_.server().State().reservations.size(); }
  // Listings of the tuners' reservations, in either command set: only a load
  // of the whole list sends them.
  std::size_t TunerListings() { return srv_.server().BodiesOf(1016).size() + srv_.server().BodiesOf(16).size(); }
  // The kept list's reservation of the programme, when it has one.
  static std::optional<ReserveEntry> Kept() {
    const ReserveSnapshot lists = CurrentReserveLists();
    const ReserveEntry* entry = FindReserve(*lists, ServiceKey(1, 2, 3), 0x11);
    return entry ? std::optional<ReserveEntry>(*entry) : std::nullopt;
  }
  // A quick click as the dispatcher runs it, holding the EPG busy flag;
  // `letGo` tells whether the flag was free before the page answered.
  std::string QuickClick(bool& letGo) {
    std::atomic<bool> holding{false};
    std::atomic<bool> answered{false};
    std::string reply;
    std::thread page([&] {
      const PageEpgBusyHold hold(0);
      holding = true;
      reply = Run(ServeReserveAddPage, "cmd=edc&sid=100020003&eid=11&q=1");
      answered = true;
    });
    while (!holding) std::this_thread::yield();
    letGo = false;
    while (!answered && !letGo) {
      letGo = !EpgBusyFlag.IsBusy();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    page.join();
    return reply;
  }
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

TEST_F(ReserveAddSrvTest, QuickClicksSendOnlyTheirOwnCommandsWithTheGuideLetGo) {
  LoadReserveList(Settings());  // the list as the worker keeps it
  const std::size_t listings = TunerListings();
  srv_.server().DelayEveryReply(100);
  const std::string plain = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  bool letGo = false;
  EXPECT_TRUE(Contains(QuickClick(letGo), "登録しました<BR>\n"));
  EXPECT_TRUE(letGo) << "the page held the busy flag while the server answered";
  ASSERT_EQ(Stored(), 1u);
  EXPECT_TRUE(Kept()) << "the add does not show in the kept list";
  // Before a load brings its id, a second click still deletes it.
  EXPECT_EQ(QuickClick(letGo), plain + "予約を削除しました \n");
  EXPECT_TRUE(letGo);
  EXPECT_EQ(Stored(), 0u);
  EXPECT_FALSE(Kept());
  EXPECT_TRUE(Contains(QuickClick(letGo), "登録しました<BR>\n"));
  EXPECT_EQ(TunerListings(), listings) << "a page loaded the whole list";
}

TEST_F(ReserveAddSrvTest, AddShowsInTheKeptListAtOnceAndWithItsIdAfterTheWorkersLoad) {
  ASSERT_TRUE(StartReserveListRefresh(Settings()));
  ASSERT_TRUE(ReserveListToShow(Settings())->reserveList.empty());
  EXPECT_TRUE(Contains(SilentAdd(), "登録しました<BR>\n"));
  ASSERT_TRUE(Kept());
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (Kept()->reserveId == kReserveIdNotKnown && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(Kept()->reserveId, static_cast<std::int32_t>(srv_.server().State().reservations.at(0).reserveId))
      << "the list was never loaded again after the add";
}

}  // namespace
}  // namespace plimod::test
