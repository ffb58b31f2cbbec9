// Accepting within the connection limit, and closing every connection at stop.
#include "http_test_support.h"

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

}  // namespace
}  // namespace plimod
