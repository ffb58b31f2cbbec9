#include "app/start_delay.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

int DelayFor(const char* argument) {
  const char* argv[] = {"plimod", argument, nullptr};
  return StartDelaySeconds(2, argv);
}

TEST(StartDelayTest, OnlyAPositiveNumberDelays) {
  EXPECT_EQ(DelayFor("30"), 30);
  EXPECT_EQ(DelayFor("1"), 1);
  EXPECT_EQ(DelayFor("12abc"), 12);  // read like atoi
  EXPECT_EQ(DelayFor("0"), 0);
  EXPECT_EQ(DelayFor("-5"), 0);
  EXPECT_EQ(DelayFor("abc"), 0);
  EXPECT_EQ(DelayFor(""), 0);
  const char* alone[] = {"plimod", nullptr};
  EXPECT_EQ(StartDelaySeconds(1, alone), 0);
}

}  // namespace
}  // namespace plimod
