#include "app/power_broadcast.h"

#include <gtest/gtest.h>

#include "platform/window_messages.h"

namespace plimod {
namespace {

using Lines = std::vector<std::string>;

TEST(PowerBroadcastTest, QueriesAreRefusedOnlyWhileARecordingIsBusy) {
  auto busy = [] { return true; };
  auto idle = [] { return false; };
  const std::string refusal = "EpgDataCap_Bon起動中か予約録画前なので拒否します\n";

  PowerAnswer a = AnswerPowerEvent(kPowerQuerySuspend, busy);
  EXPECT_EQ(a.result, kPowerQueryDeny);
  EXPECT_EQ(a.logLines, (Lines{"休止状態移行問い合わせ\n", refusal}));

  a = AnswerPowerEvent(kPowerQueryStandby, busy);
  EXPECT_EQ(a.result, kPowerQueryDeny);
  EXPECT_EQ(a.logLines, (Lines{"PBT_APMQUERYSTANDBY\n", refusal}));

  a = AnswerPowerEvent(kPowerQuerySuspend, idle);
  EXPECT_EQ(a.result, kPowerQueryAllow);
  EXPECT_EQ(a.logLines, (Lines{"休止状態移行問い合わせ\n"}));

  a = AnswerPowerEvent(kPowerQueryStandby, idle);
  EXPECT_EQ(a.result, kPowerQueryAllow);
  EXPECT_EQ(a.logLines, (Lines{"PBT_APMQUERYSTANDBY\n"}));
}

TEST(PowerBroadcastTest, OtherEventsAreLoggedAndAllowedWithoutAskingTheRecorder) {
  const std::pair<std::uintptr_t, const char*> events[] = {
      {kPowerQuerySuspendFailed, "休止状態移行が拒否されました\n"},
      {kPowerQueryStandbyFailed, "PBT_APMQUERYSTANDBYFAILED\n"},
      {kPowerSuspend, "休止状態へ移行します\n"},
      {kPowerStandby, "PBT_APMSTANDBY\n"},
      {kPowerResumeSuspend, "休止状態から復帰\n"},
      {kPowerResumeStandby, "PBT_APMRESUMESTANDBY\n"},
  };
  int asked = 0;
  auto busy = [&] {
    ++asked;
    return true;
  };
  for (const auto& [event, line] : events) {
    PowerAnswer a = AnswerPowerEvent(event, busy);
    EXPECT_EQ(a.result, kPowerQueryAllow) << line;
    EXPECT_EQ(a.logLines, (Lines{line}));
  }
  EXPECT_EQ(asked, 0);

  PowerAnswer unknown = AnswerPowerEvent(0x0006, busy);
  EXPECT_TRUE(unknown.logLines.empty());
  EXPECT_EQ(unknown.result, kPowerQueryAllow);
}

}  // namespace
}  // namespace plimod
