#include "util/format.h"

#include <gtest/gtest.h>

#include <cstring>

namespace plimod {
namespace {

TEST(FormatA, FitsOrCutsWithMinusOne) {
  char buf[8];
  EXPECT_EQ(FormatA(buf, sizeof buf, "%d-%s", 12, "ab"), 5);
  EXPECT_STREQ(buf, "12-ab");
  EXPECT_EQ(FormatA(buf, sizeof buf, "%s", "abcdefgh"), -1);
  EXPECT_STREQ(buf, "abcdefg");
}

TEST(FormatA, CutInsideAPairDropsTheLeadByte) {
  char buf[4];
  EXPECT_EQ(FormatA(buf, sizeof buf, "ab%s", "\x82\xA0"), -1);  // "ab" + "あ"
  EXPECT_STREQ(buf, "ab");
  // A trail byte in the lead range is kept with its pair.
  EXPECT_EQ(FormatA(buf, sizeof buf, "a%s", "\x82\x9F\x82\x9F"), -1);
  EXPECT_STREQ(buf, "a\x82\x9F");
}

TEST(FormatA, CutBehindACarriageReturnDropsIt) {
  char buf[4];
  EXPECT_EQ(FormatA(buf, sizeof buf, "ab\r\ncd"), -1);
  EXPECT_STREQ(buf, "ab");
}

TEST(FormatUtf8, CutNeverLeavesAPartialSequence) {
  char buf[4];
  EXPECT_EQ(FormatUtf8(buf, sizeof buf, "a%s", "\xE3\x81\x82"), -1);
  EXPECT_STREQ(buf, "a");
  char fits[5];
  EXPECT_EQ(FormatUtf8(fits, sizeof fits, "a%s", "\xE3\x81\x82"), 4);
}

TEST(FormatW, CutsTerminatedWithMinusOne) {
  wchar_t buf[4];
  EXPECT_EQ(FormatW(buf, 4, L"%ls", L"\u756A\u7D44"), 2);
  EXPECT_STREQ(buf, L"\u756A\u7D44");
  EXPECT_EQ(FormatW(buf, 4, L"%ls", L"abcdef"), -1);
  EXPECT_STREQ(buf, L"abc");
}

}  // namespace
}  // namespace plimod
