// Authentication, idle clients, start and stop of the running server.
#include <netinet/tcp.h>

#include <thread>

#include "http_test_support.h"
#include "server/base64.h"
#include "tests/support/child_process.h"

namespace plimod {
namespace {

using test::CommandOutput;
using testing_support::ConnectLoopback;
using testing_support::Exchange;
using testing_support::HttpServerTest;
using testing_support::ReadToEnd;
using testing_support::SendText;

constexpr char kUnauthorized[] =
    "HTTP/1.0 401 Authorization Required\n"
    "WWW-Authenticate: Basic realm='plimo'\n"
    "Content-Type: text/plain\n\n"
    "401 Authorization Required\n";
constexpr char kPageHead[] = "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n";

TEST_F(HttpServerTest, BasicAuthenticationForEveryClient) {
  SetHttpAuth(1, L"user", L"pass");
  Start();
  const std::string good = "Authorization: Basic " + Base64Encode("user:pass") + "\r\n";
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kUnauthorized);
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\nAuthorization: Basic\r\n\r\n"), kUnauthorized);
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\nAuthorization: Basic %%%%\r\n\r\n"), kUnauthorized);
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\nAuthorization: Basic " + Base64Encode("user:pas") + "\r\n\r\n"),
            kUnauthorized);
  EXPECT_EQ(Get("GET /x.css HTTP/1.0\r\n\r\n"), kUnauthorized);  // static files too
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n" + good + "\r\n"), kPageHead);

  // A head split across segments keeps its later headers.
  auto fd = ConnectLoopback(port_);
  int on = 1;
  ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  SendText(fd.get(), "HEAD / HTTP/1.0\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  SendText(fd.get(), good + "\r\n");
  EXPECT_EQ(ReadToEnd(fd.get()), kPageHead);

  std::string url = "http://127.0.0.1:" + std::to_string(port_) + "/";
  EXPECT_EQ(CommandOutput("curl --http1.0 -s --max-time 10 -o /dev/null -w '%{http_code}' -u user:pass " + url), "200");
  EXPECT_EQ(CommandOutput("curl --http1.0 -s --max-time 10 -o /dev/null -w '%{http_code}' -u user:bad " + url), "401");
}

TEST_F(HttpServerTest, LoopbackIsLocalInModeTwo) {
  SetHttpAuth(2, L"user", L"pass");
  Start();
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kPageHead);
}

TEST_F(HttpServerTest, ASilentClientIsClosedUnansweredWhileAPartialHeadIsStillAnswered) {
  Start();
  auto silent = ConnectLoopback(port_);
  auto partial = ConnectLoopback(port_);
  ASSERT_TRUE(silent && partial);
  SendText(partial.get(), "GET / HTTP/1.0");
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kPageHead);
  // Past the head deadline: the end of the stream, not a byte (the
  // client's own receive time-out would give -1).
  char byte;
  EXPECT_EQ(::recv(silent.get(), &byte, 1, 0), 0) << "waited for the close of a silent connection";
  EXPECT_EQ(ReadToEnd(partial.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(header error)\n");
}

TEST_F(HttpServerTest, StopAndStartOnTheSamePortAtOnce) {
  Start();
  std::uint16_t port = port_;
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kPageHead);  // leaves a closed connection behind
  StopHttpServer();
  EXPECT_FALSE(HttpServerRunning());
  EXPECT_EQ(BoundHttpPort(), 0);
  EXPECT_FALSE(ConnectLoopback(port));

  SetHttpPort(port);
  Start();
  EXPECT_EQ(port_, port);
  EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), kPageHead);
}

TEST_F(HttpServerTest, StopReturnsWithAnIdleClientConnected) {
  Start();
  auto idle = ConnectLoopback(port_);
  ASSERT_TRUE(idle);
  StopHttpServer();
  EXPECT_FALSE(HttpServerRunning());
}

TEST_F(HttpServerTest, APortInUseFailsTheStart) {
  Start();
  std::uint16_t taken = port_;
  SetHttpPort(taken);
  // The running server holds the port; a second listener cannot bind it
  // while the first one is kept (StartHttpServer stops it first, so bind
  // the port from a plain socket instead).
  StopHttpServer();
  UniqueFd blocker(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(taken);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(blocker.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(blocker.get(), 1), 0);
  EXPECT_FALSE(StartHttpServer());
  EXPECT_FALSE(HttpServerRunning());
}

}  // namespace
}  // namespace plimod
