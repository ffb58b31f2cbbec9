#include "platform/file.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_folder.h"

namespace plimod {
namespace {

class TempDir : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  int EntryCount() const {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir_),
                                          std::filesystem::directory_iterator()));
  }
  test::TempFolder folder_{"plimod-file"};
  const std::string dir_ = folder_.Path().string();
};

TEST(UniqueFd, ClosesOnceAndMovesOwnership) {
  int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(raw, 0);
  {
    UniqueFd a(raw);
    UniqueFd b(std::move(a));
    EXPECT_FALSE(a.valid());
    EXPECT_EQ(b.get(), raw);
    UniqueFd c;
    c = std::move(b);
    EXPECT_EQ(c.get(), raw);
  }
  EXPECT_EQ(::fcntl(raw, F_GETFD), -1);  // closed when the last owner went
}

TEST(NativePath, IsUtf8) {
  EXPECT_EQ(ToNativePath(L"/tmp/\u756A\u7D44/a.txt"), "/tmp/\xE7\x95\xAA\xE7\xB5\x84/a.txt");
}

TEST_F(TempDir, ReplaceWritesWholeFileKeepsModeAndLeavesNoTemporary) {
  const std::string path = dir_ + "/settings.ini";
  ASSERT_TRUE(ReplaceFileAtomically(path, "first"));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(ReplaceFileAtomically(path, std::string("second\0x", 8)));
  std::string content;
  ASSERT_TRUE(ReadFileToString(path, content));
  EXPECT_EQ(content, std::string("second\0x", 8));
  struct stat st{};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(EntryCount(), 1);
}

TEST_F(TempDir, ReplaceFailsCleanlyInAMissingFolder) {
  EXPECT_FALSE(ReplaceFileAtomically(dir_ + "/missing/x.txt", "data"));
  EXPECT_EQ(EntryCount(), 0);
}

TEST_F(TempDir, ReadOfMissingFileFailsWithEmptyOutput) {
  std::string content = "stale";
  EXPECT_FALSE(ReadFileToString(dir_ + "/none", content));
  EXPECT_TRUE(content.empty());
  EXPECT_FALSE(FileExists(dir_ + "/none"));
  EXPECT_FALSE(FileExists(dir_));
}

TEST_F(TempDir, WidePathsReachTheSameFile) {
  const std::wstring path = std::filesystem::path(dir_).wstring() + L"/\u756A\u7D44.txt";
  ASSERT_TRUE(ReplaceFileAtomically(path, "x"));
  EXPECT_TRUE(FileExists(dir_ + "/\xE7\x95\xAA\xE7\xB5\x84.txt"));
  std::string content;
  EXPECT_TRUE(ReadFileToString(path, content));
  EXPECT_EQ(content, "x");
}

}  // namespace
}  // namespace plimod
