// Clients that hold on to the server: the connection limit, replies nobody
// reads, pages that wait for the busy worker, and queued phone pages.
#include <future>
#include <mutex>

#include "http_test_support.h"
#include "server/page_reply.h"
#include "server/request_context.h"

namespace plimod {
namespace {

using testing_support::ConnectLoopback;
using testing_support::CountOpenDescriptors;
using testing_support::HttpServerTest;
using testing_support::NothingArrived;
using testing_support::ReadToEnd;
using testing_support::SendText;
using testing_support::WaitFor;
using testing_support::WriteFile;

constexpr char kSmallFile[] = "HTTP/1.0 200 OK\nContent-Type: text/css\nContent-Length: 3\n\np{}";
constexpr char kCgiBusy[] =
    "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n503 Service Unavailable\n\ncgi busy\n";

// A client whose receive window is too small to take much of a large reply.
UniqueFd ConnectWithSmallWindow(std::uint16_t port) { return ConnectLoopback(port, 5, 4096); }

// After a read to the end: whether the server ended the connection (rather
// than the read timing out).
bool EndedByServer(int fd) {
  char byte;
  return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
}

TEST_F(HttpServerTest, AtTheLimitTheOldestClientStillSendingItsHeadMakesRoom) {
  WriteFile(root_ / "a.css", "p{}");
  SetHttpConnectionLimitForTesting(3);
  Start();
  std::vector<UniqueFd> idle;
  for (int i = 0; i < 3; ++i) idle.push_back(ConnectLoopback(port_));
  // The fourth client is taken at once, and the first one goes unanswered.
  EXPECT_EQ(Get("GET /a.css HTTP/1.0\r\n\r\n"), kSmallFile);
  EXPECT_EQ(ReadToEnd(idle[0].get()), "");
  EXPECT_TRUE(NothingArrived(idle[2].get()));
  // The others still get their answers.
  SendText(idle[2].get(), "GET /a.css HTTP/1.0\r\n\r\n");
  EXPECT_EQ(ReadToEnd(idle[2].get()), kSmallFile);
}

TEST_F(HttpServerTest, AClientThatStopsReadingIsDroppedWithoutHoldingUpOthers) {
  // Larger than what the socket buffers on both sides hold.
  const std::string large(24 << 20, 'x');
  WriteFile(root_ / "large.txt", large);
  WriteFile(root_ / "a.css", "p{}");
  Start();
  const int descriptors = CountOpenDescriptors() + 1;  // and the client's own socket
  UniqueFd stalled = ConnectWithSmallWindow(port_);
  ASSERT_TRUE(stalled);
  SendText(stalled.get(), "GET /large.txt HTTP/1.0\r\n\r\n");

  EXPECT_EQ(Get("GET /a.css HTTP/1.0\r\n\r\n"), kSmallFile);
  // Past the write deadline the server lets go of the socket and the file,
  // and what the client gets ends early.
  EXPECT_TRUE(WaitFor([&] { return CountOpenDescriptors() == descriptors; }, std::chrono::seconds(60)));
  std::string reply = ReadToEnd(stalled.get());
  EXPECT_EQ(reply.rfind("HTTP/1.0 200 OK\nContent-Type: text/plain\nContent-Length: 25165824\n\nxxx", 0), 0u);
  EXPECT_LT(reply.size(), large.size());
}

TEST_F(HttpServerTest, RepliesNobodyReadsGiveWayWhenTheyReachTheirBound) {
  constexpr std::size_t kLargePage = 16 << 20;  // more than the socket buffers hold
  SetHttpWaitingReplyLimitForTesting(1 << 20);
  SetHttpTimeoutsForTesting(400, 10000, 200);  // no reply is dropped for its time-out here
  SetPageHandler([](ReplyWriter& out) {
    const std::string query = CurrentParameters().Value("_all");
    SendPageText(out, "Content-Type: text/plain\n\n");
    SendBytes(out, query == "large" ? std::string(kLargePage, 'x') : query);
    return 0;
  });
  Start();
  UniqueFd stalled = ConnectWithSmallWindow(port_);
  ASSERT_TRUE(stalled);
  SendText(stalled.get(), "GET /?large HTTP/1.0\r\n\r\n");
  ASSERT_TRUE(WaitFor([&] { return !NothingArrived(stalled.get()); })) << "the large page never came";

  // A client that reads gets its page at once, and the one that does not
  // read loses its connection.
  EXPECT_EQ(Get("GET /?small HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nsmall");
  EXPECT_LT(ReadToEnd(stalled.get()).size(), kLargePage);
  EXPECT_TRUE(EndedByServer(stalled.get()));
}

TEST_F(HttpServerTest, StopClosesTheConnectionsInEveryStage) {
  const std::string large(24 << 20, 'x');
  WriteFile(root_ / "large.txt", large);
  const int descriptors = CountOpenDescriptors();
  Start();
  std::vector<UniqueFd> clients;
  clients.push_back(ConnectLoopback(port_));  // silent
  clients.push_back(ConnectLoopback(port_));
  SendText(clients.back().get(), "POST / HTTP/1.0\r\nContent-Length: 10\r\n\r\nab");  // body short
  clients.push_back(ConnectLoopback(port_));
  SendText(clients.back().get(), "GET /large.txt HTTP/1.0\r\n\r\n");  // reply not read
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n");
  StopHttpServer();
  EXPECT_EQ(CountOpenDescriptors(), descriptors + 3);  // the clients' own
  EXPECT_EQ(ReadToEnd(clients[0].get()), "");
  EXPECT_EQ(ReadToEnd(clients[1].get()), "");
}

class WorkerWaitTest : public HttpServerTest {
 protected:
  void TearDown() override {
    Release();  // a page still held must not outlive the fixture
    HttpServerTest::TearDown();
  }

  // Phone pages that call the recorder: each run is noted, and "first"
  // holds the phone pages' worker until Release.
  void UseHeldPhonePages() {
    SetMobilePageHandler(
        [this, released = release_.get_future().share()](ReplyWriter& out) {
          const std::string query = CurrentParameters().Value("_all");
          {
            std::lock_guard lock(mutex_);
            ran_.push_back(query);
          }
          if (query == "first") {
            started_.set_value();
            released.wait_for(std::chrono::seconds(20));
          }
          SendPageText(out, "Content-Type: text/plain\n\n%s", query.c_str());
          return 0;
        },
        [this] {
          ++queued_;
          return true;
        });
  }

  UniqueFd AskPhonePage(const std::string& query) {
    UniqueFd fd = ConnectLoopback(port_);
    SendText(fd.get(), "GET /m/?" + query + " HTTP/1.0\r\n\r\n");
    return fd;
  }

  // The first phone page runs and holds its worker.
  UniqueFd HoldPhoneWorker() {
    UniqueFd first = AskPhonePage("first");
    EXPECT_EQ(started_.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    return first;
  }

  void Release() {
    if (!released_.exchange(true)) release_.set_value();
  }

  std::vector<std::string> Ran() {
    std::lock_guard lock(mutex_);
    return ran_;
  }

  static std::string PhonePage(const std::string& query) {
    return "HTTP/1.0 200 OK\nContent-Type: text/plain\n\n" + query;
  }

  std::promise<void> started_;
  std::promise<void> release_;
  std::atomic<bool> released_{false};
  std::atomic<int> queued_{0};  // phone pages handed to their worker
  std::mutex mutex_;
  std::vector<std::string> ran_;
};

TEST_F(WorkerWaitTest, APageWaitingForTheWorkerGetsItOnceFreeWhileFilesAreServed) {
  WriteFile(root_ / "a.css", "p{}");
  std::shared_future<void> released = release_.get_future().share();
  std::promise<void>& started = started_;
  SetPageHandler([&started, released](ReplyWriter& out) {
    if (CurrentParameters().Value("_all") == "slow") {
      started.set_value();
      released.wait_for(std::chrono::seconds(20));
    }
    SendPageText(out, "Content-Type: text/plain\n\n%s", CurrentParameters().Value("_all").c_str());
    return 0;
  });
  Start();
  auto slow = ConnectLoopback(port_);
  SendText(slow.get(), "GET /?slow HTTP/1.0\r\n\r\n");
  ASSERT_EQ(started_.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);

  auto waiting = ConnectLoopback(port_);
  SendText(waiting.get(), "GET /?next HTTP/1.0\r\n\r\n");
  EXPECT_EQ(Get("GET /a.css HTTP/1.0\r\n\r\n"), kSmallFile);
  EXPECT_TRUE(NothingArrived(waiting.get()));

  Release();
  EXPECT_EQ(ReadToEnd(slow.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nslow");
  EXPECT_EQ(ReadToEnd(waiting.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nnext");
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
