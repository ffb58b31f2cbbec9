// Slow and silent clients beside ordinary ones, on the real server with the
// real dispatcher.
#include <gtest/gtest.h>

#include <string>

#include "guide/command_pages.h"
#include "guide/dispatcher.h"
#include "tests/server/http_test_support.h"

namespace plimod::test {
namespace {

using testing_support::ConnectLoopback;
using testing_support::CountOpenDescriptors;
using testing_support::Exchange;
using testing_support::HttpServerTest;
using testing_support::NothingArrived;
using testing_support::ReadToEnd;
using testing_support::SendText;
using testing_support::Trickle;
using testing_support::WriteFile;

constexpr int kSlowHeads = 50;

class SlowClientsHttpTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    ClearCommandPages();
    SetPageHandler(HandleRequest);
    // Deadlines long enough for the ordinary requests on a loaded machine,
    // short enough for a quick test.
    SetHttpTimeoutsForTesting(1500, 2500, 200);
  }
  void TearDown() override {
    ClearCommandPages();
    HttpServerTest::TearDown();
  }
};

TEST_F(SlowClientsHttpTest, OrdinaryRequestsAreAnsweredWhileSlowClientsTrickle) {
  WriteFile(root_ / "plx.css", "body{}");
  const int descriptors = CountOpenDescriptors();
  Start();

  {
    // Each slow head has its request line; the header lines come a byte at
    // a time and would take seconds more to end.
    Trickle trickle;
    for (int i = 0; i < kSlowHeads; ++i) {
      auto fd = ConnectLoopback(port_);
      SendText(fd.get(), "GET /slow" + std::to_string(i) + ".css HTTP/1.0\r\n");
      trickle.Add(std::move(fd), "X-Slow: " + std::string(200, 's') + "\r\n\r\n");
    }
    auto post = ConnectLoopback(port_);
    SendText(post.get(), "POST / HTTP/1.0\r\nContent-Length: 1000\r\n\r\n");
    trickle.Add(std::move(post), std::string(1000, 'p'));
    auto unfinished = ConnectLoopback(port_);
    SendText(unfinished.get(), "POST / HTTP/1.0\r\nContent-Length: 3\r\n");  // no empty line ever
    trickle.Start(std::chrono::milliseconds(50));

    EXPECT_EQ(Exchange(port_, "GET /plx.css HTTP/1.0\r\n\r\n"),
              "HTTP/1.0 200 OK\nContent-Type: text/css\nContent-Length: 6\n\nbody{}");
    const std::string table = Exchange(port_, "GET /?mode=epg HTTP/1.0\r\n\r\n");
    EXPECT_EQ(table.rfind("HTTP/1.0 200 OK\nContent-Type: text/html", 0), 0u) << table.substr(0, 200);
    EXPECT_NE(table.find("</BODY></HTML>\n"), std::string::npos);
    // Both were answered while every slow client was still waiting.
    for (std::size_t i = 0; i < trickle.Size(); ++i) EXPECT_TRUE(NothingArrived(trickle.Fd(i))) << i;
    EXPECT_TRUE(NothingArrived(unfinished.get()));
    trickle.Stop();

    // At the head deadline what arrived is answered as it stands: the
    // request line names a file that is not there. A POST whose head never
    // ended is a header error; one whose body stays short ends unanswered.
    for (int i = 0; i < kSlowHeads; ++i) EXPECT_EQ(ReadToEnd(trickle.Fd(i)), "HTTP/1.0 404 Not Found\n\n") << i;
    EXPECT_EQ(ReadToEnd(unfinished.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(header error)\n");
    EXPECT_EQ(ReadToEnd(trickle.Fd(kSlowHeads)), "");
  }
  StopHttpServer();
  EXPECT_EQ(CountOpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace plimod::test
