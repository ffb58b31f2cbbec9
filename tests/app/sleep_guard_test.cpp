#include <gtest/gtest.h>

#include "app/sleep_guard.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

// Where nothing listens at the system bus's address, the guard holds
// nothing and says so once, however long the recording lasts.
TEST(SleepGuardTest, WithoutASystemBusNothingIsHeldAndTheLogSaysSoOnce) {
  TempFolder folder("plimod-bus");
  const std::string address = "unix:path=" + folder.File("no_bus").string();
  ScopedEnv bus("DBUS_SYSTEM_BUS_ADDRESS", address.c_str());
  RecordingSleepGuard guard;
  EXPECT_TRUE(guard.Update(false).empty());
  const auto lines = guard.Update(true);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "システムバスがないためスリープを抑止できません\n");
  EXPECT_FALSE(guard.Holding());
  EXPECT_TRUE(guard.Update(true).empty());
  EXPECT_TRUE(guard.Update(false).empty());
  EXPECT_TRUE(guard.Update(true).empty());
  guard.KeepAwakeForClients(true);
  EXPECT_FALSE(guard.HoldingForClients());
  guard.KeepAwakeForClients(false);
}

}  // namespace
}  // namespace plimod::test
