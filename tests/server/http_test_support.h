#pragma once
// A loopback client and a running test server for the server tests.

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "server/http_config.h"
#include "server/http_server.h"
#include "server/page_hooks.h"
#include "server/page_reply.h"
#include "server/request_context.h"
#include "tests/support/loopback_client.h"

namespace plimod::testing_support {

using test::ConnectLoopback;
using test::ReadToEnd;
using test::SendText;

// Sends the bytes and reads the reply until the server closes.
inline std::string Exchange(std::uint16_t port, const std::string& request) {
  UniqueFd fd = ConnectLoopback(port);
  if (!fd) return "(no connection)";
  SendText(fd.get(), request);
  return ReadToEnd(fd.get());
}

inline constexpr char kCgiBusy[] =
    "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n503 Service Unavailable\n\ncgi busy\n";

// A client whose receive window is too small to take much of a large reply.
inline UniqueFd ConnectWithSmallWindow(std::uint16_t port) { return ConnectLoopback(port, 5, 4096); }

// After a read to the end: whether the server ended the connection (rather
// than the read timing out).
inline bool EndedByServer(int fd) {
  char byte;
  return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
}

// True while the server has neither answered nor closed the connection.
inline bool NothingArrived(int fd) {
  char byte;
  return ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

// Polls until `done` holds or `bound` passes; whether it came to hold.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds bound = std::chrono::seconds(30)) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

inline int CountOpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

// Clients that send their texts one byte at a time, each every `every`,
// until the texts run out or Stop is called.
class Trickle {
 public:
  void Add(UniqueFd fd, std::string text) { clients_.push_back({std::move(fd), std::move(text), 0}); }
  void Start(std::chrono::milliseconds every) {
    thread_ = std::thread([this, every] {
      while (!stop_) {
        for (Client& client : clients_) {
          if (client.sent < client.text.size()) SendText(client.fd.get(), client.text.substr(client.sent++, 1));
        }
        std::this_thread::sleep_for(every);
      }
    });
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  ~Trickle() { Stop(); }
  int Fd(std::size_t index) const { return clients_[index].fd.get(); }
  std::size_t Size() const { return clients_.size(); }

 private:
  struct Client {
    UniqueFd fd;
    std::string text;
    std::size_t sent;
  };
  std::vector<Client> clients_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

// A server on 127.0.0.1 with a port of its own and short time-outs, serving
// a fresh public_html folder.
class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = std::filesystem::temp_directory_path() /
            ("plimod_http_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(base_);
    root_ = base_ / "public_html";
    std::filesystem::create_directories(root_);
    ResetHttpConfigForTesting();
    UseLoopbackEphemeralPortForTesting();
    SetHttpTimeoutsForTesting(400, 1000, 200);
    SetDocumentRoot(root_.wstring().c_str());
    SetPageHandler(nullptr);
    SetMobilePageHandler(nullptr);
  }

  void TearDown() override {
    StopHttpServer();
    SetPageHandler(nullptr);
    SetMobilePageHandler(nullptr);
    ResetHttpConfigForTesting();
    std::filesystem::remove_all(base_);
  }

  void Start() {
    ASSERT_TRUE(StartHttpServer());
    port_ = BoundHttpPort();
    ASSERT_NE(port_, 0);
  }

  std::string Get(const std::string& request) { return Exchange(port_, request); }

  std::filesystem::path base_;
  std::filesystem::path root_;
  std::uint16_t port_ = 0;
};

// Pages on the server's workers that wait for the test: "first" among the
// phone pages holds the phone pages' worker until Release, and each run is
// noted.
class WorkerWaitTest : public HttpServerTest {
 protected:
  void TearDown() override {
    Release();  // a page still held must not outlive the fixture
    HttpServerTest::TearDown();
  }

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

}  // namespace plimod::testing_support
