#include "platform/pipe_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <string>
#include <thread>

#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace plimod {
namespace {

TEST(PipeSocket, PathComesFromTheEnvironmentOrTmp) {
  {
    test::ScopedEnv unset("EPGTIMER_PIPE_DIR", nullptr);
    EXPECT_EQ(PipeSocketPath("EpgTimerSrvPipe"), "/tmp/EpgTimerSrvPipe");
  }
  test::ScopedEnv set("EPGTIMER_PIPE_DIR", "/run/x/");
  EXPECT_EQ(PipeSocketPath("p"), "/run/x/p");
  EXPECT_EQ(PipeSocketPath(std::string(200, 'n')), "");  // beyond a socket address
}

TEST(PipeSocket, TransfersAreExactAndAnEarlyCloseFails) {
  test::TempFolder folder("pipe");
  test::ScopedEnv dir("EPGTIMER_PIPE_DIR", folder.Path().c_str());
  UniqueFd client;
  EXPECT_EQ(ConnectPipeSocket("p", client), PipeConnect::kNotThere);
  UniqueFd listener = ListenPipeSocket("p");
  ASSERT_TRUE(listener.valid());
  ASSERT_EQ(ConnectPipeSocket("p", client), PipeConnect::kConnected);
  UniqueFd server(::accept(listener.get(), nullptr, nullptr));
  ASSERT_TRUE(server.valid());

  const std::string big(3 << 20, 'x');  // more than the socket buffers hold
  std::thread writer([&] { EXPECT_TRUE(SendAllWithin(server.get(), big.data(), big.size(), 5'000)); });
  std::string got(big.size(), '\0');
  EXPECT_TRUE(ReceiveExactWithin(client.get(), got.data(), got.size(), 5'000));
  writer.join();
  EXPECT_EQ(got, big);

  char byte = 0;
  EXPECT_FALSE(ReceiveExactWithin(client.get(), &byte, 1, 50));  // silence: expiry
  server.reset();
  EXPECT_FALSE(ReceiveExactWithin(client.get(), &byte, 1, 5'000));  // closed: at once
  EXPECT_FALSE(SendAllWithin(client.get(), big.data(), big.size(), 5'000));  // no SIGPIPE
}

}  // namespace
}  // namespace plimod
