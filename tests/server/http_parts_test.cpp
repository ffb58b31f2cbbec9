// The server's pure parts: request heads, Base64, authentication, local
// networks and static paths.
#include <arpa/inet.h>

#include <gtest/gtest.h>

#include "server/base64.h"
#include "server/http_auth.h"
#include "server/http_request_head.h"
#include "server/static_files.h"

namespace plimod {
namespace {

std::uint32_t Ip(const char* dotted) { return inet_addr(dotted); }

TEST(RequestHead, HeadersAreExactCaseAndLaterLinesWin) {
  const std::string text =
      "POST /?x HTTP/1.0\r\nHost: a:1\r\ncontent-length: 5\r\nX: 1\r\nX: 2\r\nNoColon\r\n"
      "Content-Length: 12\r\n\r\nbody";
  auto head = ParseRequestHead(text);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->request_line, "POST /?x HTTP/1.0");
  EXPECT_EQ(*head->Header("X"), "2");
  EXPECT_EQ(*head->Header("Host"), "a:1");
  EXPECT_EQ(head->ContentLength(), 12);
  EXPECT_EQ(head->body_start, text.find("body"));

  auto lower = ParseRequestHead("POST / HTTP/1.0\r\ncontent-length: 5\r\n\r\nab");
  EXPECT_EQ(lower->ContentLength(), 0);
}

TEST(RequestHead, BodyStartsAfterDoubledLineEnds) {
  EXPECT_EQ(ParseRequestHead("GET / HTTP/1.0\r\n\r\nB")->body_start, 18u);
  EXPECT_EQ(ParseRequestHead("GET / HTTP/1.0\r\rB")->body_start, 16u);
  EXPECT_EQ(ParseRequestHead("GET / HTTP/1.0\rA: b\n\nB")->body_start, 21u);
  EXPECT_FALSE(ParseRequestHead("GET / HTTP/1.0\r\nA: b\r\n")->body_start);
  EXPECT_FALSE(ParseRequestHead("GET / HTTP/1.0\n\n"));  // no CR at all
}

TEST(RequestHead, OverlongHeaderPartsAreSkipped) {
  std::string text = "GET / HTTP/1.0\r\nA: " + std::string(1023, 'v') + "\r\nB: " +
                     std::string(1024, 'v') + "\r\n\r\n";
  auto head = ParseRequestHead(text);
  EXPECT_NE(head->Header("A"), nullptr);
  EXPECT_EQ(head->Header("B"), nullptr);
}

TEST(RequestHead, RequestLineAndPageRequests) {
  HttpRequestHead head;
  head.request_line = "GET /a b HTTP/1.0";
  ASSERT_TRUE(SplitRequestLine(head));
  EXPECT_EQ(head.method, "GET");
  EXPECT_EQ(head.path, "/a");
  EXPECT_EQ(head.version, "b HTTP/1.0");
  head.request_line = "GET";
  EXPECT_FALSE(SplitRequestLine(head));
  head.request_line = "GET ";
  EXPECT_FALSE(SplitRequestLine(head));

  EXPECT_TRUE(IsPageRequestPath("/"));
  EXPECT_TRUE(IsPageRequestPath("/?cmd=log"));
  EXPECT_TRUE(IsPageRequestPath("/m/?x"));
  EXPECT_FALSE(IsPageRequestPath("/a"));
  EXPECT_FALSE(IsPageRequestPath("/m"));
}

TEST(RequestHead, CompletenessForTheReader) {
  EXPECT_FALSE(IsRequestHeadComplete("GET / HTTP/1.0\r\nHost: x\r\n"));
  EXPECT_TRUE(IsRequestHeadComplete("GET / HTTP/1.0\r\nHost: x\r\n\r\n"));
  EXPECT_TRUE(IsRequestHeadComplete("GET / HTTP/1.0\n\n"));
  EXPECT_TRUE(IsRequestHeadComplete(std::string(497, 'a')));
  EXPECT_FALSE(IsRequestHeadComplete(std::string(496, 'a')));
  EXPECT_EQ(LeadingPrintableRun("ab\x7F\x80z"), 3u);
}

TEST(RequestHead, CompletenessFoundWhereverTheLastReadEnded) {
  for (const std::string text : {"GET / HTTP/1.0\r\nHost: x\r\n\r\n", "GET / HTTP/1.0\n\n", "GET /\r\r"}) {
    for (std::size_t checked = 0; checked < text.size(); ++checked) {
      EXPECT_TRUE(IsRequestHeadComplete(text, checked)) << text << " " << checked;
    }
  }
  const std::string open = "GET / HTTP/1.0\r\nHost: x\r\n";
  for (std::size_t checked = 0; checked <= open.size(); ++checked) EXPECT_FALSE(IsRequestHeadComplete(open, checked));
  EXPECT_TRUE(IsRequestHeadComplete(std::string(600, 'a'), 599));
}

TEST(Base64, RoundTripsAndRejectsBadText) {
  EXPECT_EQ(Base64Encode("user:pass"), "dXNlcjpwYXNz");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(*Base64Decode("dXNlcjpwYXNz"), "user:pass");
  EXPECT_EQ(*Base64Decode("YWI="), "ab");
  EXPECT_EQ(*Base64Decode("YQ=="), "a");
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  EXPECT_EQ(*Base64Decode(Base64Encode(all)), all);
  EXPECT_FALSE(Base64Decode("dXN!cjpw"));
  EXPECT_FALSE(Base64Decode("Y=Q="));
  EXPECT_FALSE(Base64Decode("YWJjZ"));
}

TEST(Authentication, ModesAndCredentials) {
  std::vector<LocalNetwork> lan = {{Ip("192.168.1.0"), Ip("255.255.255.0")},
                                   {Ip("127.0.0.0"), Ip("255.0.0.0")}};
  const std::string creds = "user:pass";
  std::string good = "Basic dXNlcjpwYXNz";
  std::string wrong = "Basic dXNlcjpwYXNzeA==";
  std::string bare = "Basic";
  std::string garbage = "Basic ****";
  std::string other_scheme = "Digest dXNlcjpwYXNz";

  EXPECT_TRUE(IsRequestAuthorized(0, creds, Ip("8.8.8.8"), lan, nullptr));
  EXPECT_TRUE(IsRequestAuthorized(1, creds, Ip("127.0.0.1"), lan, &good));
  EXPECT_FALSE(IsRequestAuthorized(1, creds, Ip("127.0.0.1"), lan, nullptr));
  EXPECT_FALSE(IsRequestAuthorized(1, creds, Ip("127.0.0.1"), lan, &wrong));
  EXPECT_FALSE(IsRequestAuthorized(1, creds, Ip("127.0.0.1"), lan, &bare));
  EXPECT_FALSE(IsRequestAuthorized(1, creds, Ip("127.0.0.1"), lan, &garbage));
  EXPECT_FALSE(IsRequestAuthorized(1, creds, Ip("127.0.0.1"), lan, &other_scheme));

  EXPECT_TRUE(IsRequestAuthorized(2, creds, Ip("192.168.1.77"), lan, nullptr));
  EXPECT_TRUE(IsRequestAuthorized(2, creds, Ip("127.0.0.1"), lan, nullptr));
  EXPECT_FALSE(IsRequestAuthorized(2, creds, Ip("192.168.2.77"), lan, nullptr));
  EXPECT_TRUE(IsRequestAuthorized(2, creds, Ip("192.168.2.77"), lan, &good));
}

TEST(LocalNetworks, TheLoopbackNetworkIsListed) {
  auto networks = ReadLocalNetworks();
  EXPECT_LE(networks.size(), kMaxLocalNetworks);
  EXPECT_TRUE(IsLocalPeer(Ip("127.0.0.1"), networks));
}

TEST(StaticPaths, DotComponentsAreDroppedNeverResolved) {
  EXPECT_EQ(*StaticRelativePath("/a/../b.css"), "a/b.css");
  EXPECT_EQ(*StaticRelativePath("/docs/"), "docs/index.html");
  EXPECT_EQ(*StaticRelativePath("/docs\\x.js?v=1"), "docs/x.js");
  EXPECT_EQ(*StaticRelativePath("/.."), "");
  EXPECT_EQ(*StaticRelativePath("/a/.."), "a");
  EXPECT_EQ(*StaticRelativePath("/./"), "index.html");
  EXPECT_EQ(*StaticRelativePath("/..\\plimo.ini"), "plimo.ini");
  EXPECT_EQ(*StaticRelativePath("/../../etc/passwd"), "etc/passwd");
  EXPECT_EQ(*StaticRelativePath("//a//b"), "a/b");
  EXPECT_FALSE(StaticRelativePath(std::string("/a\0b", 4)));
  std::string longest = "/" + std::string(300, 'x');
  EXPECT_EQ(StaticRelativePath(longest)->size(), 254u);
}

TEST(StaticPaths, ContentTypes) {
  EXPECT_STREQ(StaticContentType("a/PIC.JPG"), "image/jpeg");
  EXPECT_STREQ(StaticContentType("plimo.js"), "text/javascript");
  EXPECT_STREQ(StaticContentType("index.html"), "text/html");
  EXPECT_STREQ(StaticContentType("favicon.ico"), "image/x-icon");
  EXPECT_STREQ(StaticContentType("README"), "application/octet-stream");
  EXPECT_STREQ(StaticContentType("a.tar.gz"), "application/octet-stream");
}

}  // namespace
}  // namespace plimod
