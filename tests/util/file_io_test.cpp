#include "util/file_io.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "tests/support/temp_folder.h"
#include "util/memory_block.h"

namespace plimod {
namespace {

class FileIo : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }
  std::wstring Path(const char* name) const {
    return std::filesystem::path(dir_ + "/" + name).wstring();
  }
  std::string Content(const char* name) const {
    std::string out;
    ReadFileToString(dir_ + "/" + name, out);
    return out;
  }
  test::TempFolder folder_{"plimod-io"};
  const std::string dir_ = folder_.Path().string();
};

TEST_F(FileIo, CreateWriteTruncatesAndAppendAppends) {
  {
    UniqueFd fd = CreateWrite(Path("a.txt"));
    ASSERT_TRUE(fd);
    EXPECT_EQ(WriteBytes(fd.get(), "hello", 5), 5);
  }
  {
    UniqueFd fd = OpenAppend(Path("a.txt"));
    ASSERT_TRUE(fd);
    EXPECT_EQ(WriteFormatted(fd.get(), " %s %d\r\n", "world", 7), 10u);
    EXPECT_EQ(FileSize32(fd.get()), 15u);
    CloseFile(fd);
    EXPECT_FALSE(fd);
  }
  EXPECT_EQ(Content("a.txt"), "hello world 7\r\n");
  {
    UniqueFd fd = CreateWrite(Path("a.txt"));
    ASSERT_TRUE(fd);
    EXPECT_TRUE(WriteU16(fd.get(), 0xFEFF));
  }
  EXPECT_EQ(Content("a.txt"), "\xFF\xFE");
}

TEST_F(FileIo, WriteFormattedCutsAt4096Bytes) {
  UniqueFd fd = CreateWrite(Path("long.txt"));
  ASSERT_TRUE(fd);
  const std::string big(5000, 'x');
  EXPECT_EQ(WriteFormatted(fd.get(), "%s", big.c_str()), 4095u);
}

TEST_F(FileIo, OpenReadOfAMissingFileFailsAtOnce) {
  int sleeps = 0;
  SetSleeperForTesting([&](std::uint32_t) { ++sleeps; });
  EXPECT_FALSE(OpenRead(Path("none")));
  SetSleeperForTesting(nullptr);
  EXPECT_EQ(sleeps, 0);
}

TEST_F(FileIo, ReadWholeFileTerminatesAndReportsSize) {
  ASSERT_TRUE(ReplaceFileAtomically(dir_ + "/data", std::string("a\0b", 3)));
  std::size_t size = 99;
  Block block = ReadWholeFile(Path("data"), &size);
  ASSERT_TRUE(block);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(std::memcmp(block.get(), "a\0b\0", 4), 0);
  EXPECT_TRUE(FreeBlock(block));
  EXPECT_FALSE(FreeBlock(block));
}

TEST_F(FileIo, ReadWholeFileOfEmptyOrMissingGivesNull) {
  ASSERT_TRUE(ReplaceFileAtomically(dir_ + "/empty", ""));
  std::size_t size = 99;
  EXPECT_FALSE(ReadWholeFile(Path("empty"), &size));
  EXPECT_EQ(size, 0u);
  size = 99;
  EXPECT_FALSE(ReadWholeFile(Path("missing"), &size));
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(ReadWholeFile(Path("missing"), nullptr));
}

TEST(MemoryBlock, SlotSemantics) {
  Block slot;
  ASSERT_TRUE(AllocBlock(slot, 64));
  EXPECT_EQ(std::vector<char>(slot.get(), slot.get() + 64), std::vector<char>(64, 0));
  char* first = slot.get();
  EXPECT_FALSE(AllocBlock(slot, 16));  // a full slot is left alone
  EXPECT_EQ(slot.get(), first);
  EXPECT_TRUE(FreeBlock(slot));
  EXPECT_EQ(slot, nullptr);
  EXPECT_TRUE(AllocBlock(slot, 0));
}

}  // namespace
}  // namespace plimod
