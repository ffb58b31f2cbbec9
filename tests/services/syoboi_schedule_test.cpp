#include <gtest/gtest.h>

#include "epg/epg_index.h"
#include "platform/main_loop.h"
#include "platform/main_window.h"
#include "platform/text_codec.h"
#include "services/http_client.h"
#include "services/syoboi_schedule.h"
#include "settings/settings.h"
#include "tests/support/epg_globals_fixture.h"
#include "tests/support/fake_calendar.h"
#include "tests/support/file_bytes.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/scoped_env.h"
#include "tests/support/service_keys.h"
#include "tests/support/temp_folder.h"

namespace plimod {
namespace {

using test::FakeCalendar;
using test::SyoboiReplyDocument;
using test::TimeOf;

std::string Item(int pid, const std::string& start, const std::string& end, int channelId,
                 const std::string& channel, const std::string& extra = "") {
  return "<ProgItem PID=\"" + std::to_string(pid) + "\" TID=\"" + std::to_string(pid * 10) + "\" StTime=\"" + start +
         "\" EdTime=\"" + end + "\" ChName=\"" + channel + "\" ChID=\"" + std::to_string(channelId) +
         "\" Count=\"3\" StOffset=\"0\" SubTitle=\"sub\" Title=\"Title " + std::to_string(pid) + "\"" + extra + " />";
}

std::int64_t Ticks(const SystemTime& time) { return *SystemTimeToTicks(time); }

class SyoboiScheduleTest : public test::EpgGlobalsFixture {
 protected:
  void SetUp() override {
    EpgGlobalsFixture::SetUp();
    ResetSyoboiScheduleForTesting();
    ASSERT_TRUE(fake_.Running());
    Set(L"SYSTEM", L"SYOBOCAL_ENABLE", L"1");
    Set(L"SYSTEM", L"SYOBOCAL_USERNAME", L"user");
    ServiceMap[test::TrKey(0x400)] = L"ＮＨＫ総合";
    ServiceMap[test::BsKey(0x101)] = L"BS Station";
    ServiceMap[test::CsKey(0x200)] = L"Local Name";
  }
  void TearDown() override {
    ResetSyoboiScheduleForTesting();
    EpgGlobalsFixture::TearDown();
  }

  void WriteChannelFile(const std::wstring& lines) const {
    test::WriteFileBytes(home_.File("syobocal_ch.txt"), "\xFF\xFE" + WideToUtf16Le(lines));
  }

  FakeCalendar fake_;
  test::TempFolder home_{"syoboi-home"};
  test::ScopedEnv url_{"SYOBOCAL_URL", fake_.BaseUrl().c_str()};
  test::ScopedEnv noProxy_{"NO_PROXY", "*"};
  test::ScopedEnv programHome_{"PLIMOD_HOME", home_.Path().c_str()};
};

TEST_F(SyoboiScheduleTest, RefreshBuildsTheScheduleAndMatchesChannels) {
  WriteChannelFile(L"SyoboiCS\tLocal Name\r\nno tab line\r\n");
  fake_.Reply(200, SyoboiReplyDocument({
                       Item(1, "20261209200000", "20261209203000", 1, "NHK総合"),
                       Item(2, "20261209200000", "20261209210000", 2, "BS Station"),
                       Item(3, "20261209220000", "20261209223000", 3, "SyoboiCS", " StOffset=\"60\""),
                       Item(4, "20261209230000", "20261209233000", 4, "Nowhere TV"),
                       Item(5, "2026120923", "20261209233000", 4, "short start"),
                   }));
  RefreshSyoboiPrograms(Settings());

  const auto schedule = CurrentSyoboiSchedule();
  ASSERT_EQ(schedule->programs.size(), 4u);
  // Two channels at one start are both kept.
  const auto eight = schedule->programs.equal_range(Ticks(TimeOf(2026, 12, 9, 20, 0)));
  ASSERT_EQ(std::distance(eight.first, eight.second), 2);
  const SyoboiProgram& nhk = eight.first->second;
  EXPECT_EQ(nhk.serviceKey, test::TrKey(0x400));
  EXPECT_EQ(nhk.channelName, L"ＮＨＫ総合");  // full-width and ASCII forms match
  EXPECT_EQ(nhk.pid, 1);
  EXPECT_EQ(nhk.tid, 10);
  EXPECT_EQ(nhk.count, 3);
  EXPECT_EQ(nhk.subTitle, L"sub");
  EXPECT_EQ(nhk.durationSeconds, 1800);
  EXPECT_EQ(std::next(eight.first)->second.serviceKey, test::BsKey(0x101));

  // The offset moves the key by a minute; the duration stays as listed.
  const auto offset = schedule->programs.find(Ticks(TimeOf(2026, 12, 9, 22, 1)));
  ASSERT_NE(offset, schedule->programs.end());
  EXPECT_EQ(offset->second.durationSeconds, 1800);
  EXPECT_EQ(offset->second.start.wMinute, 1);
  EXPECT_EQ(offset->second.serviceKey, test::CsKey(0x200));  // through syobocal_ch.txt
  EXPECT_EQ(offset->second.channelName, L"Local Name");

  EXPECT_EQ(schedule->unknownChannels, std::vector<std::wstring>{L"Nowhere TV"});
  EXPECT_FALSE(SyoboiProgramMapEmpty());
}

TEST_F(SyoboiScheduleTest, FailedFetchesKeepTheScheduleAndAnEmptyListEmptiesIt) {
  fake_.Reply(200, SyoboiReplyDocument({Item(1, "20261209200000", "20261209203000", 1, "BS Station")}));
  RefreshSyoboiPrograms(Settings());
  ASSERT_EQ(CurrentSyoboiSchedule()->programs.size(), 1u);

  fake_.Reply(500, "<html>error</html>");
  RefreshSyoboiPrograms(Settings());
  EXPECT_EQ(CurrentSyoboiSchedule()->programs.size(), 1u);
  fake_.DropReplies();
  RefreshSyoboiPrograms(Settings());
  EXPECT_EQ(CurrentSyoboiSchedule()->programs.size(), 1u);
  fake_.CutReplies(SyoboiReplyDocument({}), 10);
  RefreshSyoboiPrograms(Settings());
  EXPECT_EQ(CurrentSyoboiSchedule()->programs.size(), 1u);
  fake_.Reply(200, "");
  RefreshSyoboiPrograms(Settings());
  EXPECT_EQ(CurrentSyoboiSchedule()->programs.size(), 1u);

  fake_.Reply(200, SyoboiReplyDocument({}));
  RefreshSyoboiPrograms(Settings());
  EXPECT_TRUE(SyoboiProgramMapEmpty());
}

TEST_F(SyoboiScheduleTest, LongReplyIsReadUpToItsLimitAndLosesTheCutElement) {
  std::string reply = SyoboiReplyDocument({Item(1, "20261209200000", "20261209203000", 1, "BS Station")});
  reply += "<!-- " + std::string(262'143 - reply.size() - 30, '-') + " -->\n";
  reply += Item(2, "20261209210000", "20261209213000", 2, "BS Station") + "\n";
  fake_.Reply(200, reply);
  RefreshSyoboiPrograms(Settings());
  const auto schedule = CurrentSyoboiSchedule();
  ASSERT_EQ(schedule->programs.size(), 1u);
  EXPECT_EQ(schedule->programs.begin()->second.pid, 1);
}

TEST_F(SyoboiScheduleTest, DisabledCalendarEmptiesTheScheduleWithoutARequest) {
  fake_.Reply(200, SyoboiReplyDocument({Item(1, "20261209200000", "20261209203000", 1, "BS Station")}));
  RefreshSyoboiPrograms(Settings());
  ASSERT_FALSE(SyoboiProgramMapEmpty());
  Set(L"SYSTEM", L"SYOBOCAL_ENABLE", L"0");
  RefreshSyoboiPrograms(Settings());
  EXPECT_TRUE(SyoboiProgramMapEmpty());
  EXPECT_EQ(fake_.Requests().size(), 1u);
}

TEST_F(SyoboiScheduleTest, RequestCarriesTheEncodedUserAndTheProgramsNames) {
  Set(L"SYSTEM", L"SYOBOCAL_USERNAME", L"a b&c");
  RefreshSyoboiPrograms(Settings());
  Set(L"SYSTEM", L"SYOBOCAL_USERNAME", L"");
  RefreshSyoboiPrograms(Settings());

  const auto requests = fake_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].path, "/cal_chk.php");
  EXPECT_EQ(requests[0].query, "usr=a+b%26c");
  EXPECT_EQ(requests[0].headers.at("user-agent"), "plimod.exe");
  EXPECT_EQ(requests[0].headers.at("referer"), fake_.BaseUrl());
  EXPECT_EQ(requests[0].headers.at("cache-control"), "no-cache");
  EXPECT_EQ(requests[1].query, "cookie=1");
}

TEST_F(SyoboiScheduleTest, SlowReplyEndsAtTheTotalTimeOut) {
  SetHttpTimeoutsForTesting(1000, 200);
  fake_.Reply(200, SyoboiReplyDocument({Item(1, "20261209200000", "20261209203000", 1, "BS Station")}), 800);
  RefreshSyoboiPrograms(Settings());
  SetHttpTimeoutsForTesting(0, 0);
  EXPECT_TRUE(SyoboiProgramMapEmpty());
}

TEST_F(SyoboiScheduleTest, LookUpsMatchTheMinuteAndMarkThisThreadsPrograms) {
  fake_.Reply(200, SyoboiReplyDocument({Item(1, "20261209200000", "20261209203000", 1, "NHK総合"),
                                        Item(2, "20261209200000", "20261209203000", 2, "BS Station")}));
  RefreshSyoboiPrograms(Settings());
  const std::int64_t eight = Ticks(TimeOf(2026, 12, 9, 20, 0));

  const auto found = FindSyoboiProgram(test::BsKey(0x101), TimeOf(2026, 12, 9, 20, 0, 42, 5));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->pid, 2);
  EXPECT_FALSE(FindSyoboiProgram(test::BsKey(0x101), TimeOf(2026, 12, 9, 20, 1)));
  EXPECT_FALSE(FindSyoboiProgram(test::CsKey(0x200), TimeOf(2026, 12, 9, 20, 0)));
  EXPECT_TRUE(SyoboiProgramSeen(eight, *found));

  // Another thread (a mobile page) has marks of its own.
  bool seenElsewhere = true;
  std::thread([&] { seenElsewhere = SyoboiProgramSeen(eight, *found); }).join();
  EXPECT_FALSE(seenElsewhere);

  ClearSyoboiSeenFlags();
  EXPECT_FALSE(SyoboiProgramSeen(eight, *found));
  const auto byPid = FindSyoboiProgramByPid(1, eight);
  ASSERT_TRUE(byPid);
  EXPECT_EQ(byPid->serviceKey, test::TrKey(0x400));
  EXPECT_TRUE(SyoboiProgramSeen(eight, *byPid));
  EXPECT_FALSE(FindSyoboiProgramByPid(1, eight + kTicksPerSecond));
}

TEST(SyoboiLoadTimerTest, DelayRunsToTomorrowWithinFiveMinutesOfTheLoadTime) {
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"5:00", TimeOf(2026, 12, 9, 4, 56)), 1444);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"5:00", TimeOf(2026, 12, 9, 4, 54)), 6);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"0:00", TimeOf(2026, 12, 9, 23, 57)), 3);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"5", TimeOf(2026, 12, 9, 6, 0)), 1380);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"30:00", TimeOf(2026, 12, 9, 0, 0)), 1450);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"99999999999:99999999999", TimeOf(2026, 12, 9, 0, 0)), 1450);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"-99999999999", TimeOf(2026, 12, 9, 0, 0)), 5);
  EXPECT_EQ(SyoboiLoadDelayMinutes(L"", TimeOf(2026, 12, 9, 0, 0)), std::nullopt);
}

class SyoboiTimerWiringTest : public test::EpgGlobalsFixture {
 protected:
  void SetUp() override {
    EpgGlobalsFixture::SetUp();
    SetMainWindowHandle(&loop_);
  }
  void TearDown() override {
    SetMainWindowHandle(nullptr);
    EpgGlobalsFixture::TearDown();
  }
  MainLoop loop_{[](std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; }};
};

TEST_F(SyoboiTimerWiringTest, LoadTimerFollowsTheSettingsAndUploadTimerItsSwitch) {
  test::FixedClock clock(TimeOf(2026, 12, 9, 4, 56));
  Set(L"SYSTEM", L"SYOBOCAL_ENABLE", L"1");
  Set(L"SYSTEM", L"SYOBOCAL_LOADTIME", L"5:00");
  SetSyoboiLoadTimer();
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiLoadTimer), 1444u * 60'000u);
  Set(L"SYSTEM", L"SYOBOCAL_LOADTIME", L"");  // stored empty by the settings page: no load
  SetSyoboiLoadTimer();
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiLoadTimer), 0u);
  Set(L"SYSTEM", L"SYOBOCAL_LOADTIME", L"5:00");
  Set(L"SYSTEM", L"SYOBOCAL_ENABLE", L"0");
  SetSyoboiLoadTimer();
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiLoadTimer), 0u);

  EXPECT_EQ(ArmSyoboiUploadTimer(), 0);
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiUploadTimer), 0u);
  Set(L"SYOBOIUPLOAD", L"ENABLE", L"1");
  EXPECT_EQ(ArmSyoboiUploadTimer(), 1);
  EXPECT_EQ(loop_.TimerPeriod(kSyoboiUploadTimer), 180'000u);
}

}  // namespace
}  // namespace plimod
