// The log: entries, the on/off decision, flushing and trimming.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "platform/text_codec.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "util/log_entry.h"
#include "util/logger.h"

namespace plimod {
namespace {

using test::ReadFileBytes;

const SystemTime kTime{2024, 3, 0, 9, 7, 5, 4, 0};

TEST(LogEntry, PrefixAndCp932Text) {
  EXPECT_EQ(MakeLogEntry(kTime, "lumod起動\n"),
            "20240309 070504: lumod" + WideToCp932(L"起動") + "\n");
  EXPECT_EQ(MakeLogEntry(kTime, "～").substr(17), "\x81\x60");
  EXPECT_EQ(MakeLogEntry(kTime, "bad \xFF byte").substr(17), "bad ? byte");
}

TEST(LogEntry, LongEntriesAreCutOnACharacterBoundary) {
  const std::string ascii = MakeLogEntry(kTime, std::string(2000, 'a'));
  EXPECT_EQ(ascii.size(), kLogEntryMaxBytes);

  const std::string ended = MakeLogEntry(kTime, std::string(2000, 'a') + "\n");
  EXPECT_EQ(ended.size(), kLogEntryMaxBytes);
  EXPECT_EQ(ended.back(), '\n');

  // 17 prefix bytes + 2-byte characters: 1023 would split one.
  std::string kanji;
  for (int i = 0; i < 600; ++i) kanji += "漢";
  for (const std::string& text : {kanji, kanji + "\n"}) {
    const std::string entry = MakeLogEntry(kTime, text);
    EXPECT_LE(entry.size(), kLogEntryMaxBytes);
    EXPECT_GE(entry.size(), kLogEntryMaxBytes - 2);
    const std::string body = entry.substr(17, entry.size() - 17 - (text.back() == '\n'));
    EXPECT_EQ(body.size() % 2, 0u);
    EXPECT_EQ(Cp932ToWide(body), std::wstring(body.size() / 2, L'漢'));
  }
}

TEST(LogTrim, StartsBehindTheFirstLineEndAfterTheMark) {
  std::string content(20000, 'x');
  content += "\n" + std::string(1000, 'y') + "\nkept line\n" + std::string(28987, 'z') + "\n";
  ASSERT_EQ(content.size(), 50000u);
  const std::string trimmed = TrimmedLogContent(content);
  EXPECT_EQ(trimmed, content.substr(21002));
  EXPECT_EQ(trimmed.rfind("kept line\n", 0), 0u);

  // A line end exactly at the mark counts.
  std::string exact(kLogTrimKeepFrom, 'a');
  exact += "\nrest";
  exact[kLogTrimKeepFrom] = '\n';
  EXPECT_EQ(TrimmedLogContent(exact + std::string(30000, 'b')).substr(0, 4), "rest");
}

TEST(LogTrim, WithoutALineEndKeepsWholeCharactersOfTheTail) {
  EXPECT_EQ(TrimmedLogContent(std::string(50000, 'a')).size(), kLogTrimKeepFrom);

  // "a" then 2-byte characters: the tail's first byte is a trail byte.
  std::string mixed = "a";
  while (mixed.size() < 50001) mixed += "\x88\x9F";
  const std::string trimmed = TrimmedLogContent(mixed);
  EXPECT_EQ(trimmed.size() % 2, 0u);
  EXPECT_LE(trimmed.size(), kLogTrimKeepFrom);
  EXPECT_EQ(trimmed.substr(0, 2), "\x88\x9F");
}

class LoggerTest : public ::testing::Test {
 protected:
  std::filesystem::path LogFile() const { return folder_.File("lumo.log"); }

  test::TempFolder folder_{"plimod-log"};
  Logger log_{LogFile().wstring()};
};

TEST_F(LoggerTest, OffByDefaultCreatesNoFile) {
  log_.WriteNoPost("before\n");
  EXPECT_FALSE(log_.Write("lumod起動\n"));
  EXPECT_FALSE(log_.Write("later\n"));
  log_.WriteNoPost("later too\n");
  log_.Flush();
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
  EXPECT_FALSE(log_.Accepting());
}

TEST_F(LoggerTest, SwitchIsAskedOnceAndPosterReportsThePost) {
  int asked = 0;
  log_.SetSwitch([&] { return ++asked, true; });
  EXPECT_FALSE(log_.Write("no loop yet\n")) << "no poster connected";
  int posts = 0;
  log_.SetFlushPoster([&] { return ++posts, true; });
  EXPECT_TRUE(log_.Write("posted\n"));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(log_.Path(), LogFile().wstring());
}

TEST_F(LoggerTest, FlushAppendsQueuedEntriesInOrder) {
  log_.SetSwitch([] { return true; });
  log_.WriteNoPost("queued before the decision\n");
  log_.Flush();  // undecided: nothing to write to yet
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
  log_.Write("lumod起動\n");
  log_.Flush();
  log_.WriteNoPost("third\n");
  log_.Flush();
  const std::string content = ReadFileBytes(LogFile());
  ASSERT_EQ(content.size(), 3 * 17 + 27 + 10 + 6u);
  EXPECT_EQ(content.substr(17, 27), "queued before the decision\n");
  EXPECT_EQ(content.substr(17 + 27 + 17, 10), "lumod" + WideToCp932(L"起動") + "\n");
  EXPECT_EQ(content.substr(content.size() - 6), "third\n");
  EXPECT_EQ(log_.QueuedCount(), 0u);
}

TEST_F(LoggerTest, UnopenableFileKeepsEntriesForTheNextFlush) {
  log_.SetSwitch([] { return true; });
  log_.Write("one\n");
  std::filesystem::create_directory(LogFile());  // opening it for writing fails
  log_.Flush();
  EXPECT_EQ(log_.QueuedCount(), 1u);
  log_.WriteNoPost("two\n");
  std::filesystem::remove(LogFile());
  log_.Flush();
  EXPECT_EQ(log_.QueuedCount(), 0u);
  const std::string content = ReadFileBytes(LogFile());
  ASSERT_EQ(content.size(), 2 * 17 + 8u);
  EXPECT_EQ(content.substr(17, 4), "one\n");
  EXPECT_EQ(content.substr(17 + 4 + 17), "two\n");
}

TEST_F(LoggerTest, MissingFolderKeepsEntriesQueued) {
  Logger log((folder_.Path() / "missing" / "lumo.log").wstring());
  log.SetSwitch([] { return true; });
  log.Write("one\n");
  log.Flush();
  EXPECT_EQ(log.QueuedCount(), 1u);
}

TEST_F(LoggerTest, FlushTrimsALongFile) {
  std::string old(20000, 'x');
  old += "\n" + std::string(20999, 'y') + "\n";  // 41001 bytes
  std::ofstream(LogFile(), std::ios::binary) << old;
  log_.SetSwitch([] { return true; });
  log_.Write("newest\n");
  log_.Flush();
  const std::string content = ReadFileBytes(LogFile());
  EXPECT_EQ(content.size(), 17 + 7u);
  EXPECT_EQ(content.substr(17), "newest\n");
}

TEST_F(LoggerTest, FourThreadsLoseNoLine) {
  Logger log(LogFile().wstring(), LogTrimLimits{SIZE_MAX, SIZE_MAX});
  log.SetSwitch([] { return true; });
  log.SetFlushPoster([] { return true; });
  log.Write("start\n");
  constexpr int kThreads = 4;
  constexpr int kLines = 1000;
  std::atomic<bool> done{false};
  std::thread flusher([&] {
    while (!done) log.Flush();
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      for (int i = 0; i < kLines; ++i) {
        const std::string text = "thread " + std::to_string(t) + " line " + std::to_string(i) + "\n";
        if (i % 2) log.Write(text); else log.WriteNoPost(text);
      }
    });
  }
  for (auto& w : writers) w.join();
  done = true;
  flusher.join();
  log.Flush();
  const std::string collected = ReadFileBytes(LogFile());

  std::set<std::string> seen;
  std::size_t pos = 0;
  while (pos < collected.size()) {
    const std::size_t lf = collected.find('\n', pos);
    ASSERT_NE(lf, std::string::npos);
    seen.insert(collected.substr(pos + 17, lf - pos - 17));
    pos = lf + 1;
  }
  EXPECT_EQ(seen.size(), 1u + kThreads * kLines);
  EXPECT_EQ(std::count(collected.begin(), collected.end(), '\n'), 1 + kThreads * kLines);
  EXPECT_TRUE(seen.count("thread 3 line 999"));
}

}  // namespace
}  // namespace plimod
