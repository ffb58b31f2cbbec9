#include "server/log_page.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/file.h"
#include "util/log.h"

namespace plimod {
namespace {

// The log decides once per run whether it is on, so each case runs in a
// process of its own (as CTest runs every test).
TEST(LogPage, WithoutALogFileSaysSo) {
  SetLogSwitch([] { return false; });
  LogWrite("x\n");
  std::string reply;
  ReplyWriter out(&reply);
  ServeLogPage(out);
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain;\n\nlogfile not found\n");
}

TEST(LogPage, SendsTheFileByteForByte) {
  auto home = std::filesystem::temp_directory_path() / ("plimod_logpage_" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  ::setenv("PLIMOD_HOME", home.c_str(), 1);
  SetLogSwitch([] { return true; });
  SetLogFlushPoster([] { return true; });
  if (!LogWrite("first line\n")) GTEST_SKIP() << "the log was switched off earlier in this process";
  FlushLogQueue();

  std::string file;
  ASSERT_TRUE(ReadFileToString(std::wstring_view(LogFilePath()), file));
  std::string reply;
  ReplyWriter out(&reply);
  ServeLogPage(out);
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain;\n\n" + file);
  EXPECT_NE(file.find("first line\n"), std::string::npos);
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace plimod
