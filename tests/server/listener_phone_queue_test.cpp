// Phone pages queued for their worker: answered busy past the time-out or
// at the connection limit, withdrawn when their client resets, and kept
// (at no cost) for a client that only shut its sending side.
#include <sys/resource.h>

#include "http_test_support.h"

namespace plimod {
namespace {

using testing_support::CountOpenDescriptors;
using testing_support::kCgiBusy;
using testing_support::ReadToEnd;
using testing_support::WaitFor;
using testing_support::WorkerWaitTest;
using testing_support::WriteFile;

constexpr char kSmallFile[] = "HTTP/1.0 200 OK\nContent-Type: text/css\nContent-Length: 3\n\np{}";

double ProcessCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

TEST_F(WorkerWaitTest, AQueuedPhonePageIsAnsweredBusyPastTheTimeOut) {
  UseHeldPhonePages();
  Start();
  UniqueFd first = HoldPhoneWorker();
  UniqueFd late = AskPhonePage("late");
  // Past the server's time-out (1 s here), while the first page still runs.
  EXPECT_EQ(ReadToEnd(late.get()), kCgiBusy);
  Release();
  EXPECT_EQ(ReadToEnd(first.get()), PhonePage("first"));
  EXPECT_EQ(Get("GET /m/?next HTTP/1.0\r\n\r\n"), PhonePage("next"));
  EXPECT_EQ(Ran(), (std::vector<std::string>{"first", "next"}));
}

TEST_F(WorkerWaitTest, AQueuedPhonePageIsWithdrawnWhenItsClientResetsButNotWhenItHalfCloses) {
  SetHttpTimeoutsForTesting(400, 10000, 200);  // nothing queued times out here
  UseHeldPhonePages();
  Start();
  UniqueFd first = HoldPhoneWorker();
  // Sends its request, shuts its sending side and waits for the page.
  UniqueFd half_closed = AskPhonePage("half-closed");
  ::shutdown(half_closed.get(), SHUT_WR);
  ASSERT_TRUE(WaitFor([&] { return queued_ == 2; }));
  UniqueFd reset = AskPhonePage("reset");
  ASSERT_TRUE(WaitFor([&] { return queued_ == 3; }));
  const int descriptors = CountOpenDescriptors();
  linger abort{1, 0};
  ::setsockopt(reset.get(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  reset.reset();
  // The server lets go of the reset connection (its own socket too).
  EXPECT_TRUE(WaitFor([&] { return CountOpenDescriptors() == descriptors - 2; }));

  Release();
  EXPECT_EQ(ReadToEnd(first.get()), PhonePage("first"));
  EXPECT_EQ(ReadToEnd(half_closed.get()), PhonePage("half-closed"));
  EXPECT_EQ(Ran(), (std::vector<std::string>{"first", "half-closed"}));
}

TEST_F(WorkerWaitTest, AHalfClosedClientWhosePageIsHeldCostsTheListenerNoTime) {
  SetHttpTimeoutsForTesting(400, 10000, 200);
  UseHeldPhonePages();
  Start();
  UniqueFd first = AskPhonePage("first");
  ::shutdown(first.get(), SHUT_WR);  // its socket stays readable from now on
  ASSERT_EQ(started_.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  // The server runs in this process: its CPU time over a span of 2 s.
  const double before = ProcessCpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  EXPECT_LT(ProcessCpuSeconds() - before, 0.2) << "the listener woke for the half-closed socket again and again";
  Release();
  EXPECT_EQ(ReadToEnd(first.get()), PhonePage("first"));
}

TEST_F(WorkerWaitTest, AtTheLimitTheOldestQueuedPhonePageIsAnsweredBusy) {
  WriteFile(root_ / "a.css", "p{}");
  SetHttpConnectionLimitForTesting(3);
  SetHttpTimeoutsForTesting(400, 10000, 200);
  UseHeldPhonePages();
  Start();
  UniqueFd first = HoldPhoneWorker();
  UniqueFd older = AskPhonePage("older");
  ASSERT_TRUE(WaitFor([&] { return queued_ == 2; }));
  UniqueFd newer = AskPhonePage("newer");
  ASSERT_TRUE(WaitFor([&] { return queued_ == 3; }));

  EXPECT_EQ(Get("GET /a.css HTTP/1.0\r\n\r\n"), kSmallFile);
  EXPECT_EQ(ReadToEnd(older.get()), kCgiBusy);
  Release();
  EXPECT_EQ(ReadToEnd(newer.get()), PhonePage("newer"));
  EXPECT_EQ(Ran(), (std::vector<std::string>{"first", "newer"}));
}

}  // namespace
}  // namespace plimod
