// Static files from public_html over real loopback sockets and curl.
#include <sys/stat.h>

#include "http_test_support.h"
#include "server/connection_activity.h"
#include "tests/support/child_process.h"

namespace plimod {
namespace {

using test::CommandOutput;
using testing_support::HttpServerTest;
using testing_support::WriteFile;

constexpr char kNotFound[] = "HTTP/1.0 404 Not Found\n\n";

std::string FileReply(const std::string& type, const std::string& body) {
  return "HTTP/1.0 200 OK\nContent-Type: " + type + "\nContent-Length: " + std::to_string(body.size()) +
         "\n\n" + body;
}

class StaticFileTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    WriteFile(root_ / "index.html", "<p>top</p>");
    WriteFile(root_ / "a" / "b.css", "p{}");
    WriteFile(root_ / "docs" / "index.html", "docs");
    WriteFile(root_ / "PIC.JPG", std::string("\xFF\xD8\0\x01", 4));
    WriteFile(root_ / "plimo.js", "var x;");
    WriteFile(root_ / "README", "plain");
    WriteFile(base_ / "secret.txt", "secret");
    WriteFile(base_ / "plimo.ini", "secret");
    std::filesystem::create_directories(root_ / "sub");
    ::mkfifo((root_ / "pipe").c_str(), 0600);
  }
};

TEST_F(StaticFileTest, FilesWithTheirTypes) {
  Start();
  EXPECT_EQ(Get("GET /a/b.css HTTP/1.0\r\n\r\n"), FileReply("text/css", "p{}"));
  EXPECT_EQ(Get("GET /a/../b.css HTTP/1.0\r\n\r\n"), FileReply("text/css", "p{}"));
  EXPECT_EQ(Get("GET /docs/ HTTP/1.0\r\n\r\n"), FileReply("text/html", "docs"));
  EXPECT_EQ(Get("GET /PIC.JPG?v=2 HTTP/1.0\r\n\r\n"), FileReply("image/jpeg", std::string("\xFF\xD8\0\x01", 4)));
  EXPECT_EQ(Get("GET /plimo.js HTTP/1.0\r\n\r\n"), FileReply("text/javascript", "var x;"));
  EXPECT_EQ(Get("GET /README HTTP/1.0\r\n\r\n"), FileReply("application/octet-stream", "plain"));
  EXPECT_EQ(Get("GET /./ HTTP/1.0\r\n\r\n"), FileReply("text/html", "<p>top</p>"));
  // Any method serves a static path; HEAD only its header lines.
  EXPECT_EQ(Get("PUT /README HTTP/1.0\r\n\r\n"), FileReply("application/octet-stream", "plain"));
  EXPECT_EQ(Get("HEAD /a/b.css HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/css\nContent-Length: 3\n\n");
}

// The idle-suspend guard reads this count to learn that pages were served.
TEST_F(StaticFileTest, EveryAcceptedConnectionIsCounted) {
  Start();
  const std::uint64_t before = ConnectionsAccepted();
  Get("GET /a/b.css HTTP/1.0\r\n\r\n");
  Get("GET /nothing.html HTTP/1.0\r\n\r\n");
  EXPECT_EQ(ConnectionsAccepted() - before, 2u);
}

TEST_F(StaticFileTest, MissingFilesAndNonFilesAre404) {
  Start();
  EXPECT_EQ(Get("GET /nothing.html HTTP/1.0\r\n\r\n"), kNotFound);
  EXPECT_EQ(Get("GET /sub HTTP/1.0\r\n\r\n"), kNotFound);
  EXPECT_EQ(Get("GET /pipe HTTP/1.0\r\n\r\n"), kNotFound);  // and does not block the server
  EXPECT_EQ(Get("GET /a/.. HTTP/1.0\r\n\r\n"), kNotFound);
  EXPECT_EQ(Get("GET /%61/b.css HTTP/1.0\r\n\r\n"), kNotFound);  // no percent-decoding
  EXPECT_EQ(Get("GET /a/b.css HTTP/1.0\r\n\r\n"), FileReply("text/css", "p{}"));
}

TEST_F(StaticFileTest, TraversalStaysInsideTheRoot) {
  Start();
  for (const char* path : {"/../secret.txt", "/..", "/..\\plimo.ini", "/a/../../secret.txt", "/../plimo.ini",
                           "/..%2fsecret.txt", "/a/..\\..\\secret.txt"}) {
    EXPECT_EQ(Get(std::string("GET ") + path + " HTTP/1.0\r\n\r\n"), kNotFound) << path;
  }
}

TEST_F(StaticFileTest, NoRootMeansNoFiles) {
  SetDocumentRoot(nullptr);
  Start();
  EXPECT_EQ(Get("GET /a/b.css HTTP/1.0\r\n\r\n"), kNotFound);
}

TEST_F(StaticFileTest, CurlFetchesPagesAndLargeFilesWhole) {
  std::string large;
  for (int i = 0; i < 200000; ++i) large += static_cast<char>('a' + i % 26);
  WriteFile(root_ / "big.txt", large);
  Start();
  std::string url = "http://127.0.0.1:" + std::to_string(port_);
  EXPECT_EQ(CommandOutput("curl --http1.0 -s --max-time 10 " + url + "/big.txt"), large);
  std::string head = CommandOutput("curl --http1.0 -s -i --max-time 10 " + url + "/a/b.css");
  EXPECT_EQ(head, FileReply("text/css", "p{}"));
  std::string page = CommandOutput("curl --http1.0 -s --max-time 10 -o /dev/null -w '%{http_code}' '" + url +
                                "/?mode=epg'");
  EXPECT_EQ(page, "200");
}

}  // namespace
}  // namespace plimod
