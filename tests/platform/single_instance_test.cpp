#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace plimod {
namespace {

// A name of this test run's own, so parallel runs and a running program do
// not meet.
std::string TestName() { return "PLIMOTEST" + std::to_string(getpid()); }

TEST(SingleInstanceTest, SecondClaimFindsTheFirstAndItsKnockIsAReload) {
  SingleInstance first(TestName());
  ASSERT_EQ(first.Claim(), InstanceClaim::kOwned);
  ASSERT_GE(first.Fd(), 0);

  SingleInstance second(TestName());
  EXPECT_EQ(second.Claim(), InstanceClaim::kAlreadyRunning);
  EXPECT_EQ(second.Fd(), -1);

  EXPECT_TRUE(SendReloadRequest(TestName()));
  EXPECT_TRUE(first.TakeReloadRequest());
  // No further knock is waiting: taking one returns at once.
  EXPECT_FALSE(first.TakeReloadRequest());
}

TEST(SingleInstanceTest, ReleasedNameCanBeClaimedAgainAndNobodyAnswersBefore) {
  EXPECT_FALSE(SendReloadRequest(TestName()));
  {
    SingleInstance first(TestName());
    ASSERT_EQ(first.Claim(), InstanceClaim::kOwned);
  }
  SingleInstance again(TestName());
  EXPECT_EQ(again.Claim(), InstanceClaim::kOwned);
  again.Release();
  EXPECT_FALSE(SendReloadRequest(TestName()));
}

}  // namespace
}  // namespace plimod
