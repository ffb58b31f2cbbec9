#include "platform/named_event.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace plimod {
namespace {

std::string EventName(const char* what) {
  return std::string("plimodtest.") + what + "." + std::to_string(::getpid());
}

TEST(NamedEvent, SetTwiceWakesOneWaitAndResets) {
  const std::string name = EventName("twice");
  NamedEvent::Remove(name);
  NamedEvent server = NamedEvent::CreateOrOpen(name);
  NamedEvent client = NamedEvent::CreateOrOpen(name);  // the same event, opened
  ASSERT_TRUE(server.valid());
  ASSERT_TRUE(client.valid());
  EXPECT_EQ(client.Wait(10), NamedEvent::WaitResult::kTimedOut);  // created unset
  EXPECT_TRUE(server.Set());
  EXPECT_TRUE(server.Set());
  EXPECT_EQ(client.Wait(10), NamedEvent::WaitResult::kSignalled);
  EXPECT_EQ(client.Wait(10), NamedEvent::WaitResult::kTimedOut);
  EXPECT_TRUE(NamedEvent::Remove(name));
}

TEST(NamedEvent, SetFromAnotherThreadEndsAWait) {
  const std::string name = EventName("thread");
  NamedEvent::Remove(name);
  NamedEvent waiter = NamedEvent::CreateOrOpen(name);
  std::thread setter([&] { NamedEvent::CreateOrOpen(name).Set(); });
  EXPECT_EQ(waiter.Wait(5'000), NamedEvent::WaitResult::kSignalled);
  setter.join();
  NamedEvent::Remove(name);
}

TEST(NamedEvent, NamesWithASlashAreRefused) {
  EXPECT_FALSE(NamedEvent::CreateOrOpen("a/b").valid());
  EXPECT_FALSE(NamedEvent::CreateOrOpen("").valid());
  EXPECT_EQ(NamedEvent().Wait(1), NamedEvent::WaitResult::kFailed);
}

}  // namespace
}  // namespace plimod
