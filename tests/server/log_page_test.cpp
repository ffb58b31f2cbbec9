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
// fresh process of its own (gtest's re-executing death-test child), whatever
// ran before it in this one.
void RunInAFreshProcess(void (*check)()) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        check();
        std::exit(testing::Test::HasFailure() ? 1 : 0);
      },
      testing::ExitedWithCode(0), "");
}

void ExpectNoLogFileSaid() {
  SetLogSwitch([] { return false; });
  LogWrite("x\n");
  std::string reply;
  ReplyWriter out(&reply);
  ServeLogPage(out);
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain;\n\nlogfile not found\n");
}

void ExpectTheFileSentByteForByte() {
  auto home = std::filesystem::temp_directory_path() / ("plimod_logpage_" + std::to_string(getpid()));
  std::filesystem::create_directories(home);
  ::setenv("PLIMOD_HOME", home.c_str(), 1);
  SetLogSwitch([] { return true; });
  SetLogFlushPoster([] { return true; });
  EXPECT_TRUE(LogWrite("first line\n"));
  FlushLogQueue();

  std::string file;
  EXPECT_TRUE(ReadFileToString(std::wstring_view(LogFilePath()), file));
  std::string reply;
  ReplyWriter out(&reply);
  ServeLogPage(out);
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain;\n\n" + file);
  EXPECT_NE(file.find("first line\n"), std::string::npos);
  std::filesystem::remove_all(home);
}

TEST(LogPage, WithoutALogFileSaysSo) { RunInAFreshProcess(ExpectNoLogFileSaid); }

TEST(LogPage, SendsTheFileByteForByte) { RunInAFreshProcess(ExpectTheFileSentByteForByte); }

}  // namespace
}  // namespace plimod
