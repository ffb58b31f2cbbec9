#include <gtest/gtest.h>

#include "services/http_client.h"
#include "tests/support/fake_calendar.h"
#include "tests/support/scoped_env.h"

namespace plimod {
namespace {

class HttpClientTest : public ::testing::Test {
 protected:
  test::FakeCalendar fake_;
  test::ScopedEnv noProxy_{"NO_PROXY", "*"};
};

TEST_F(HttpClientTest, PostSendsHeadersAndTheWholeBody) {
  ASSERT_TRUE(fake_.Running());
  fake_.Reply(200, "accepted");
  HttpRequest request;
  request.url = fake_.BaseUrl() + "sch_upload?slot=2";
  request.headers = {"Authorization: Basic dXNlcjpwYXNz", "Content-Type: application/x-www-form-urlencoded"};
  // Past 1 MiB this libcurl asks "Expect: 100-continue" first.
  request.postBody = "data=" + std::string(2 * 1024 * 1024, 'x');
  request.maxBytes = 2047;
  const HttpReply reply = SendHttpRequest(request);
  EXPECT_TRUE(reply.ok) << reply.error;
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "accepted");

  const auto requests = fake_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].path, "/sch_upload");
  EXPECT_EQ(requests[0].query, "slot=2");
  EXPECT_EQ(requests[0].headers.at("authorization"), "Basic dXNlcjpwYXNz");
  EXPECT_EQ(requests[0].headers.at("content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].headers.at("user-agent"), "plimod.exe");
  EXPECT_EQ(requests[0].headers.at("expect"), "100-continue");
  EXPECT_EQ(requests[0].body, *request.postBody);
}

TEST_F(HttpClientTest, ReplyBeyondTheLimitIsKeptUpToItAndStillSucceeds) {
  ASSERT_TRUE(fake_.Running());
  fake_.Reply(200, std::string(100'000, 'a'));
  HttpRequest request;
  request.url = fake_.BaseUrl() + "cal_chk.php";
  request.maxBytes = 70'000;
  const HttpReply reply = SendHttpRequest(request);
  EXPECT_TRUE(reply.ok) << reply.error;
  EXPECT_EQ(reply.body.size(), 70'000u);

  fake_.Reply(404, "missing");
  const HttpReply missing = SendHttpRequest(request);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.status, 404);
}

TEST(HttpClientNoServerTest, RefusedConnectionFails) {
  test::ScopedEnv noProxy("NO_PROXY", "*");
  HttpRequest request;
  request.url = "http://127.0.0.1:1/";
  request.maxBytes = 10;
  const HttpReply reply = SendHttpRequest(request);
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.status, 0);
  EXPECT_FALSE(reply.error.empty());
}

}  // namespace
}  // namespace plimod
