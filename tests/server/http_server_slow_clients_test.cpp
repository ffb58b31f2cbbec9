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
using testing_support::WriteFile;

constexpr char kSmallFile[] = "HTTP/1.0 200 OK\nContent-Type: text/css\nContent-Length: 3\n\np{}";

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
  UniqueFd stalled(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  int small = 4096;
  ::setsockopt(stalled.get(), SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port_);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::connect(stalled.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  SendText(stalled.get(), "GET /large.txt HTTP/1.0\r\n\r\n");

  EXPECT_EQ(Get("GET /a.css HTTP/1.0\r\n\r\n"), kSmallFile);
  // Past the write deadline the server lets go of the socket and the file,
  // and what the client gets ends early.
  for (int i = 0; i < 1200 && CountOpenDescriptors() != descriptors; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(CountOpenDescriptors(), descriptors);
  timeval timeout{10, 0};
  ::setsockopt(stalled.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  std::string reply = ReadToEnd(stalled.get());
  EXPECT_EQ(reply.rfind("HTTP/1.0 200 OK\nContent-Type: text/plain\nContent-Length: 25165824\n\nxxx", 0), 0u);
  EXPECT_LT(reply.size(), large.size());
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
  std::promise<void> started_;
  std::promise<void> release_;
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

  release_.set_value();
  EXPECT_EQ(ReadToEnd(slow.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nslow");
  EXPECT_EQ(ReadToEnd(waiting.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nnext");
}

TEST_F(WorkerWaitTest, QueuedPhonePagesAreDroppedWhenTheirClientLeavesAndAnsweredBusyPastTheTimeOut) {
  std::shared_future<void> released = release_.get_future().share();
  std::promise<void>& started = started_;
  std::mutex mutex;
  std::vector<std::string> ran;
  SetMobilePageHandler(
      [&](ReplyWriter& out) {
        const std::string query = CurrentParameters().Value("_all");
        {
          std::lock_guard lock(mutex);
          ran.push_back(query);
        }
        if (query == "first") {
          started.set_value();
          released.wait_for(std::chrono::seconds(20));
        }
        SendPageText(out, "Content-Type: text/plain\n\n%s", query.c_str());
        return 0;
      },
      [] { return true; });
  Start();
  auto first = ConnectLoopback(port_);
  SendText(first.get(), "GET /m/?first HTTP/1.0\r\n\r\n");
  ASSERT_EQ(started_.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  auto gone = ConnectLoopback(port_);
  SendText(gone.get(), "GET /m/?gone HTTP/1.0\r\n\r\n");
  gone.reset();
  auto late = ConnectLoopback(port_);
  SendText(late.get(), "GET /m/?late HTTP/1.0\r\n\r\n");

  // Past the server's time-out (1 s here), while the first page still runs.
  EXPECT_EQ(ReadToEnd(late.get()),
            "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n503 Service Unavailable\n\ncgi busy\n");
  release_.set_value();
  EXPECT_EQ(ReadToEnd(first.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nfirst");
  EXPECT_EQ(Get("GET /m/?next HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nnext");
  std::lock_guard lock(mutex);
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "next"}));
}

}  // namespace
}  // namespace plimod
