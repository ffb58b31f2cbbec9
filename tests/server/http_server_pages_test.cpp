// The server answering page requests over real loopback sockets.
#include <future>
#include <mutex>
#include <thread>

#include "http_test_support.h"
#include "server/page_reply.h"
#include "server/request_context.h"

namespace plimod {
namespace {

using testing_support::ConnectLoopback;
using testing_support::HttpServerTest;
using testing_support::ReadToEnd;
using testing_support::SendText;

constexpr char kDefaultPageHead[] = "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n";

// What a page saw of its request.
struct Record {
  std::string all, cookie, agent, peer, cmd;
  bool empty = false;
  int calls = 0;
};

struct Seen {
  std::mutex mutex;
  Record record;
  Record Get() {
    std::lock_guard lock(mutex);
    return record;
  }
};

PageHandler Recorder(Seen& seen) {
  return [&seen](ReplyWriter& out) {
    RequestParameters& params = CurrentParameters();
    std::string all = params.Value("_all");
    {
      std::lock_guard lock(seen.mutex);
      Record& r = seen.record;
      r.empty = params.Empty();
      r.all = all;
      r.cmd = params.Value("cmd");
      r.cookie = RequestEnv("HTTP_COOKIE");
      r.agent = RequestEnv("HTTP_USER_AGENT");
      r.peer = RequestEnv("REMOTE_ADDR");
      ++r.calls;
    }
    SendPageText(out, "Content-Type: text/plain\n\npage:%s", all.c_str());
    return 0;
  };
}

// The records outlive the server: the fixture stops it (joining the worker)
// before its members go.
class PageServerTest : public HttpServerTest {
 protected:
  Seen seen_;
  Seen mobile_;
  std::promise<void> started_;
  std::promise<void> release_;
};

TEST_F(PageServerTest, RootPathRunsThePageWithItsQuery) {
  Seen& seen = seen_;
  SetPageHandler(Recorder(seen));
  Start();
  EXPECT_EQ(Get("GET / HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\npage:");
  EXPECT_TRUE(seen.Get().empty);
  EXPECT_EQ(seen.Get().peer, "127.0.0.1");

  EXPECT_EQ(Get("GET /?cmd=log HTTP/1.0\r\nHost: h\r\nReferer: http://h/?x\r\n\r\n"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain\n\npage:cmd=log");
  EXPECT_EQ(seen.Get().cmd, "log");

  // The same command without a Referer of this host is dropped.
  Get("GET /?cmd=log HTTP/1.0\r\nHost: h\r\nReferer: http://evil/\r\n\r\n");
  EXPECT_TRUE(seen.Get().empty);
}

TEST_F(PageServerTest, DefaultPageHeadAndOtherMethods) {
  Start();
  std::string page = Get("GET / HTTP/1.0\r\n\r\n");
  EXPECT_EQ(page.substr(0, sizeof kDefaultPageHead - 1), kDefaultPageHead);
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kDefaultPageHead);
  EXPECT_EQ(Get("PUT / HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(method error)\n");
}

TEST_F(PageServerTest, MalformedRequestsGetTheirErrors) {
  Start();
  const std::string overflow = "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(buffer overflow)\n";
  std::string many_headers = "GET / HTTP/1.0\r\n";
  while (many_headers.size() < 17000) many_headers += "X-Filler: aaaaaaaaaaaaaaaaaaaa\r\n";
  EXPECT_EQ(Get(many_headers), overflow);
  // A request line of 497 printable bytes is refused, whole or not; one of 496 is served.
  EXPECT_EQ(Get("GET /" + std::string(492, 'a')), overflow);
  EXPECT_EQ(Get("GET /?" + std::string(491, 'a') + "\r\n\r\n"), overflow);
  EXPECT_EQ(Get("GET /?" + std::string(490, 'a') + "\r\n\r\n").substr(0, sizeof kDefaultPageHead - 1),
            kDefaultPageHead);
  EXPECT_EQ(Get("GET / HTTP/1.0\n\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(header error)\n");
  EXPECT_EQ(Get("GET\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(header error)\n");
  // The server is still there.
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kDefaultPageHead);
}

TEST_F(PageServerTest, PostBodiesAreParsed) {
  Seen& seen = seen_;
  SetPageHandler(Recorder(seen));
  Start();
  Get("POST /?ignored=1 HTTP/1.0\r\nContent-Length: 9\r\n\r\na=1&b=%41");
  EXPECT_EQ(seen.Get().all, "a=1&b=%41");

  // Head and body in two segments.
  {
    auto fd = ConnectLoopback(port_);
    SendText(fd.get(), "POST / HTTP/1.0\r\nContent-Length: 7\r\n\r\n");
    SendText(fd.get(), "x=2\r\ny=3");
    ReadToEnd(fd.get());
  }
  EXPECT_EQ(seen.Get().all, "x=2");  // cut at the first CR

  // A length header in the wrong case counts as none: the body is what came along.
  Get("POST / HTTP/1.0\r\ncontent-length: 99\r\n\r\nq=1");
  EXPECT_EQ(seen.Get().all, "q=1");

  EXPECT_EQ(Get("POST / HTTP/1.0\r\nContent-Length: 20000\r\n\r\nq=1"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(buffer overflow)\n");
  // No empty line before the time-out: no body start.
  EXPECT_EQ(Get("POST / HTTP/1.0\r\nContent-Length: 3\r\n"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(header error)\n");
}

TEST_F(PageServerTest, StallingOrVanishingPostsEndAndTheServerLives) {
  Seen& seen = seen_;
  SetPageHandler(Recorder(seen));
  Start();
  {
    auto fd = ConnectLoopback(port_);
    SendText(fd.get(), "POST / HTTP/1.0\r\nContent-Length: 100\r\n\r\nabc");
    EXPECT_EQ(ReadToEnd(fd.get()), "");  // ended after the receive time-out
  }
  {
    auto fd = ConnectLoopback(port_);
    SendText(fd.get(), "POST / HTTP/1.0\r\nContent-Length: 100\r\n\r\nabc");
    ::shutdown(fd.get(), SHUT_WR);
    EXPECT_EQ(ReadToEnd(fd.get()), "");
  }
  EXPECT_EQ(seen.Get().calls, 0);
  EXPECT_EQ(Get("GET /?z=1 HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\npage:z=1");
}

TEST_F(PageServerTest, RequestValuesDoNotCarryOverToTheNextRequest) {
  Seen& seen = seen_;
  SetPageHandler(Recorder(seen));
  Start();
  Get("GET / HTTP/1.0\r\nCookie: defepg=range%3D12\r\nUser-Agent: A\r\n\r\n");
  EXPECT_EQ(seen.Get().cookie, "defepg=range%3D12");
  EXPECT_EQ(seen.Get().agent, "A");
  Get("GET / HTTP/1.0\r\n\r\n");
  EXPECT_EQ(seen.Get().cookie, "");
  EXPECT_EQ(seen.Get().agent, "");
}

TEST_F(PageServerTest, BusyWorkerAnswers503WhileMobilePagesStillRun) {
  std::promise<void>& started = started_;
  std::promise<void>& release = release_;
  std::shared_future<void> released = release.get_future().share();
  SetPageHandler([&started, released](ReplyWriter& out) {
    started.set_value();
    released.wait_for(std::chrono::seconds(20));
    SendPageText(out, "Content-Type: text/plain\n\nslow");
    return 0;
  });
  SetMobilePageHandler(Recorder(mobile_));
  Start();

  auto slow = ConnectLoopback(port_);
  SendText(slow.get(), "GET /?first HTTP/1.0\r\n\r\n");
  ASSERT_EQ(started.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);

  EXPECT_EQ(Get("GET /?second HTTP/1.0\r\n\r\n"),
            "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n503 Service Unavailable\n\ncgi busy\n");
  EXPECT_EQ(Get("GET /m/?k=v HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\npage:k=v");

  release.set_value();
  EXPECT_EQ(ReadToEnd(slow.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nslow");
}

TEST_F(PageServerTest, BackToBackPagesNeverHang) {
  Seen& seen = seen_;
  SetPageHandler(Recorder(seen));
  Start();
  for (int i = 0; i < 30; ++i) {
    std::string query = "n=" + std::to_string(i);
    ASSERT_EQ(Get("GET /?" + query + " HTTP/1.0\r\n\r\n"),
              "HTTP/1.0 200 OK\nContent-Type: text/plain\n\npage:" + query);
  }
}

}  // namespace
}  // namespace plimod
