#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "services/remote_control.h"
#include "tests/support/fake_remote_server.h"
#include "tests/support/loopback_port.h"

namespace plimod::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// "ＴＢＳ" and "ＮＨＫ" in code page 932, as the caller hands names over.
const std::string kTbs = "\x82\x73\x82\x61\x82\x72";
const std::string kNhk = "\x82\x6d\x82\x67\x82\x6a";

class RemoteControlTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetRemoteTimeouts(kRemoteConnectTimeout, kRemoteReceiveTimeout);
    RemoteDisconnect();
  }

  static bool Tune(const FakeRemoteServer& server, const std::string& name) {
    return TuneRemoteToService(name, "127.0.0.1", server.Port(), true);
  }
};

// Three BonDrivers; the wanted service (ids 20, 30) on the middle one.
std::string ThreeBonDrivers(int current) {
  return "current\t" + std::to_string(current) +
         "\n"
         "bon\t7\tBonDriver_A\nservice\t10\t" + kNhk + "\n" +
         "bon\t8\tBonDriver_B\nservice\t20\t" + kTbs + "\n" +
         "bon\t9\tBonDriver_C\nservice\t30\tBS\n";
}

TEST(RemoteListTest, ListRepliesGiveResultCurrentAndRows) {
  std::vector<RemoteListEntry> rows;
  int current = 7;
  EXPECT_EQ(ParseRemoteList("0\t1\t3\tA\t5\tB", rows, current), 0);
  EXPECT_EQ(current, 1);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].id, 3);
  EXPECT_EQ(rows[0].name, "A");
  EXPECT_EQ(rows[1].id, 5);
  EXPECT_EQ(rows[1].name, "B");

  rows.clear();
  EXPECT_EQ(ParseRemoteList("2\t-1\t4\tC\t", rows, current), 2);
  EXPECT_EQ(current, 1);  // -1 leaves it alone
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "C");

  EXPECT_EQ(ParseRemoteList("0\t1", rows, current), -1);
  EXPECT_EQ(ParseRemoteList("0", rows, current), -1);
  rows.clear();
  EXPECT_EQ(ParseRemoteList(std::string("0\t1\t3\tA\0\t5\tB", 13), rows, current), 0);  // text ends at a NUL
  EXPECT_EQ(rows.size(), 1u);
}

TEST(RemoteListTest, LongNamesAreCutTo63Bytes) {
  // 62 bytes, then a double-byte character across the 63-byte edge.
  const std::string name = std::string(62, 'n') + kTbs;
  std::vector<RemoteListEntry> rows;
  int current = 0;
  EXPECT_EQ(ParseRemoteList("0\t0\t1\t" + name + "\t2\t" + name, rows, current), 0);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, name.substr(0, 63));  // followed by a TAB: exactly 63 bytes
  EXPECT_EQ(rows[1].name, name.substr(0, 62));  // at the end: no lone lead byte
}

TEST_F(RemoteControlTest, FindsTheServiceOnAnotherBonDriverAndSelectsIt) {
  FakeRemoteServer server(ThreeBonDrivers(0));
  ASSERT_FALSE(server.Port().empty());
  EXPECT_TRUE(Tune(server, kTbs));
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GetBonList", "GetServiceList2", "SetBon:8",
                                                         "GetServiceList2", "SetService2:20"}));
}

TEST_F(RemoteControlTest, AServiceOfTheCurrentBonDriverNeedsNoSwitch) {
  FakeRemoteServer server(ThreeBonDrivers(1));
  EXPECT_TRUE(Tune(server, kTbs));
  EXPECT_EQ(server.Requests(),
            (std::vector<std::string>{"GetBonList", "GetServiceList2", "SetService2:20"}));
}

TEST_F(RemoteControlTest, AMissingServiceVisitsEveryBonDriverOnceFromTheCurrentOne) {
  FakeRemoteServer server(ThreeBonDrivers(1));
  EXPECT_FALSE(Tune(server, "nowhere"));
  EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GetBonList", "GetServiceList2", "SetBon:9",
                                                         "GetServiceList2", "SetBon:7", "GetServiceList2"}));
}

TEST_F(RemoteControlTest, CurrentIndexOutsideTheListStartsAtTheFirstBonDriver) {
  {
    FakeRemoteServer server(ThreeBonDrivers(-1));  // "none": taken as the first, no switch
    EXPECT_TRUE(Tune(server, kNhk));
    EXPECT_EQ(server.Requests(),
              (std::vector<std::string>{"GetBonList", "GetServiceList2", "SetService2:10"}));
  }
  for (int current : {-2, 3, 5}) {
    FakeRemoteServer server(ThreeBonDrivers(current));
    EXPECT_TRUE(Tune(server, kNhk)) << current;
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"GetBonList", "SetBon:7", "GetServiceList2",
                                                           "SetService2:10"}))
        << current;
  }
}

TEST_F(RemoteControlTest, BrokenOrMissingServersFailWithinTheBounds) {
  SetRemoteTimeouts(milliseconds(1000), milliseconds(300));
  {
    FakeRemoteServer server("reply\tGetBonList\t0 1 7 A\n");
    EXPECT_FALSE(Tune(server, kNhk));
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"GetBonList"});
  }
  {
    FakeRemoteServer server("reply\tGetBonList\t1\t0\t7\tA\n");  // the server reports failure
    EXPECT_FALSE(Tune(server, kNhk));
  }
  {
    FakeRemoteServer server(ThreeBonDrivers(0), /*silent=*/true);
    const auto start = steady_clock::now();
    EXPECT_FALSE(Tune(server, kNhk));
    EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(8));  // the bound set above, not the usual 10 s
  }
  EXPECT_FALSE(TuneRemoteToService(kNhk, "127.0.0.1", std::to_string(FreeLoopbackPort()), true));
  EXPECT_FALSE(TuneRemoteToService(kNhk, "localhost", "1334", true));  // no name look-up
}

TEST_F(RemoteControlTest, ADroppedConnectionIsOpenedAgainForTheNextRequest) {
  FakeRemoteServer server(ThreeBonDrivers(0));
  // Without the search every BonDriver is visited; the server stays on the last.
  EXPECT_FALSE(TuneRemoteToService("", "127.0.0.1", server.Port(), false));
  std::vector<RemoteListEntry> rows;
  int current = -5;
  EXPECT_EQ(RemoteConnect(), 1);
  EXPECT_EQ(RemoteConnect(), 0);  // already open
  EXPECT_EQ(RemoteGetBonList(rows, current), 0);
  EXPECT_EQ(current, 2);
  RemoteDisconnect();
  EXPECT_EQ(RemoteSetBon(9), 1);
  EXPECT_EQ(RemoteSetService2(30), 1);
}

}  // namespace
}  // namespace plimod::test
