// Replies: pages waiting for the worker, the bound of worker replies not
// yet sent (which replies give way, and how), and the memory sent pages
// give back.
#include <poll.h>

#include "http_test_support.h"
#include "tests/support/resident_size.h"

namespace plimod {
namespace {

using testing_support::ConnectLoopback;
using testing_support::ConnectWithSmallWindow;
using testing_support::CountOpenDescriptors;
using testing_support::EndedByServer;
using testing_support::HttpServerTest;
using testing_support::kCgiBusy;
using testing_support::NothingArrived;
using testing_support::ReadToEnd;
using testing_support::SendText;
using testing_support::WaitFor;
using testing_support::WorkerWaitTest;
using testing_support::WriteFile;

constexpr char kSmallFile[] = "HTTP/1.0 200 OK\nContent-Type: text/css\nContent-Length: 3\n\np{}";
constexpr char kTextHead[] = "HTTP/1.0 200 OK\nContent-Type: text/plain\n\n";

// Pages of the root path: "/?large" is `large`, any other query itself.
void ServeLargeAndSmallPages(std::string large) {
  SetPageHandler([large = std::move(large)](ReplyWriter& out) {
    const std::string query = CurrentParameters().Value("_all");
    SendPageText(out, "Content-Type: text/plain\n\n");
    SendBytes(out, query == "large" ? large : query);
    return 0;
  });
}

// Reads to the end at about `bytes_per_second`, counting in `received`.
std::string ReadSteadily(int fd, double bytes_per_second, std::atomic<std::size_t>& received) {
  std::string got;
  char chunk[65536];
  const auto start = std::chrono::steady_clock::now();
  ssize_t n;
  while ((n = ::recv(fd, chunk, sizeof chunk, 0)) > 0) {
    got.append(chunk, static_cast<std::size_t>(n));
    received = got.size();
    std::this_thread::sleep_until(start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                              std::chrono::duration<double>(got.size() / bytes_per_second)));
  }
  return got;
}

// The server reset the connection (a plain end shows neither flag).
bool ResetByServer(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

// Reads to the end; the error of the read that ended it (0 at a plain end).
int ErrorAtTheEnd(int fd) {
  char chunk[65536];
  ssize_t n;
  while ((n = ::recv(fd, chunk, sizeof chunk, 0)) > 0) {
  }
  return n == 0 ? 0 : errno;
}

std::size_t DiscardToEnd(int fd) {
  char chunk[65536];
  std::size_t total = 0;
  ssize_t n;
  while ((n = ::recv(fd, chunk, sizeof chunk, 0)) > 0) total += static_cast<std::size_t>(n);
  return total;
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
  // and the client's reply ends in a reset, not as if it were whole.
  EXPECT_TRUE(WaitFor([&] { return CountOpenDescriptors() == descriptors; }, std::chrono::seconds(60)));
  EXPECT_EQ(ErrorAtTheEnd(stalled.get()), ECONNRESET);
}

TEST_F(HttpServerTest, RepliesNobodyReadsGiveWayWhenTheyReachTheirBound) {
  constexpr std::size_t kLargePage = 16 << 20;  // more than the socket buffers hold
  SetHttpWaitingReplyLimitForTesting(1 << 20);
  SetHttpTimeoutsForTesting(400, 10000, 200);  // no reply is dropped for its time-out here
  ServeLargeAndSmallPages(std::string(kLargePage, 'x'));
  Start();
  UniqueFd stalled = ConnectWithSmallWindow(port_);
  ASSERT_TRUE(stalled);
  SendText(stalled.get(), "GET /?large HTTP/1.0\r\n\r\n");
  ASSERT_TRUE(WaitFor([&] { return !NothingArrived(stalled.get()); })) << "the large page never came";

  // A client that reads gets its page once the other has taken nothing for
  // 2 s (until then it is "cgi busy"), and the one that does not read loses
  // its connection.
  std::string small;
  ASSERT_TRUE(WaitFor([&] { return (small = Get("GET /?small HTTP/1.0\r\n\r\n")) != kCgiBusy; }));
  EXPECT_EQ(small, std::string(kTextHead) + "small");
  EXPECT_LT(ReadToEnd(stalled.get()).size(), kLargePage);
  EXPECT_TRUE(EndedByServer(stalled.get()));
}

TEST_F(HttpServerTest, AtTheBoundAReaderKeepsItsWholePageAndAClientThatTakesNothingIsReset) {
  std::string large(16 << 20, '\0');  // more than the socket buffers hold
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>('a' + i % 23);
  // Room for one page: the second brings the replies to the bound.
  SetHttpWaitingReplyLimitForTesting(24 << 20);
  SetHttpTimeoutsForTesting(400, 10000, 200);   // no reply ends for its time-out here
  ServeLargeAndSmallPages(large);
  Start();
  UniqueFd idle = ConnectWithSmallWindow(port_);
  SendText(idle.get(), "GET /?large HTTP/1.0\r\n\r\n");
  ASSERT_TRUE(WaitFor([&] { return !NothingArrived(idle.get()); })) << "the idle client's page never came";
  UniqueFd reader = ConnectLoopback(port_, 10, 65536);
  SendText(reader.get(), "GET /?large HTTP/1.0\r\n\r\n");
  std::atomic<std::size_t> received{0};
  std::future<std::string> read = std::async(std::launch::async, [&, fd = reader.get()] {
    // About 4 s for the page: it is still being sent when the idle client
    // has gone 2 s without taking anything.
    return ReadSteadily(fd, 4 << 20, received);
  });
  ASSERT_TRUE(WaitFor([&] { return received > 0; })) << "the reader's page never came";

  // Neither has gone 2 s without progress: a third page gets no room.
  EXPECT_EQ(Get("GET /?third HTTP/1.0\r\n\r\n"), kCgiBusy);
  // Pages asked after that make the idle client's reply give way, with a
  // reset, while the reader's is still being sent.
  ASSERT_TRUE(WaitFor([&] {
    (void)Get("GET /?later HTTP/1.0\r\n\r\n");
    return ResetByServer(idle.get());
  })) << "the idle client's connection was not reset";
  EXPECT_EQ(ErrorAtTheEnd(idle.get()), ECONNRESET);
  const std::string got = read.get();
  EXPECT_TRUE(got == kTextHead + large) << "the reader got " << got.size() << " bytes";
}

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
  EXPECT_EQ(ReadToEnd(slow.get()), std::string(kTextHead) + "slow");
  EXPECT_EQ(ReadToEnd(waiting.get()), std::string(kTextHead) + "next");
}

TEST_F(HttpServerTest, SentPagesGiveTheirMemoryBack) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizer's allocator ignores the mapping threshold and keeps freed
  // blocks in quarantine, so the resident size says nothing there.
  GTEST_SKIP() << "resident size is meaningless under AddressSanitizer";
#endif
  constexpr std::size_t kLargePage = 12 << 20;  // about the front page at eight times the demo data
  ServeLargeAndSmallPages(std::string(kLargePage, 'x'));
  Start();
  auto large_page = [&] {
    UniqueFd fd = ConnectLoopback(port_);
    SendText(fd.get(), "GET /?large HTTP/1.0\r\n\r\n");
    EXPECT_EQ(DiscardToEnd(fd.get()), sizeof kTextHead - 1 + kLargePage);
    // Answered on the listening thread, so the sent page is freed by then.
    EXPECT_EQ(Get("HEAD / HTTP/1.0\r\n\r\n"), "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n");
  };
  large_page();
  const long after_first = static_cast<long>(test::ProcStatusKb("VmRSS:"));
  for (int i = 1; i < 10; ++i) large_page();
  EXPECT_LT(static_cast<long>(test::ProcStatusKb("VmRSS:")) - after_first, 4 << 10) << "KiB kept after ten pages of " << kLargePage << " bytes";
}

}  // namespace
}  // namespace plimod
