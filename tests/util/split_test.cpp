#include "util/split.h"

#include <gtest/gtest.h>

#include <cstring>

namespace plimod {
namespace {

TEST(SplitInPlace, KeepsEmptyFieldsWhereTheWideFormDoesNot) {
  char narrow[] = "a,,b";
  char* fields[4] = {};
  ASSERT_EQ(SplitInPlace(narrow, ',', fields, 4), 3);
  EXPECT_STREQ(fields[0], "a");
  EXPECT_STREQ(fields[1], "");
  EXPECT_STREQ(fields[2], "b");

  wchar_t wide[] = L"a,,b";
  wchar_t* wfields[4] = {};
  ASSERT_EQ(SplitInPlaceW(wide, L',', wfields, 4), 2);
  EXPECT_STREQ(wfields[0], L"a");
  EXPECT_STREQ(wfields[1], L"b");
}

TEST(SplitInPlace, ControlFirstByteGivesNothingAndCountGoesBeyondMaximum) {
  char control[] = "\ta,b";
  char* fields[2] = {};
  EXPECT_EQ(SplitInPlace(control, ',', fields, 2), 0);
  char empty[] = "";
  EXPECT_EQ(SplitInPlace(empty, ',', fields, 2), 0);

  char many[] = "1,2,3,4";
  ASSERT_EQ(SplitInPlace(many, ',', fields, 2), 4);
  EXPECT_STREQ(fields[0], "1");
  EXPECT_STREQ(fields[1], "2");
}

TEST(SplitSpans, EndsFieldsAtControlBytesAndLeavesTextAlone) {
  const char* text = "ab,c\r\nd,e";
  const char* fields[4] = {};
  int lengths[4] = {};
  ASSERT_EQ(SplitSpans(text, ',', fields, lengths, 4), 2);
  EXPECT_EQ(std::string(fields[0], lengths[0]), "ab");
  EXPECT_EQ(std::string(fields[1], lengths[1]), "c");
  EXPECT_STREQ(text, "ab,c\r\nd,e");
  EXPECT_EQ(SplitSpans(",x,", ',', fields, lengths, 4), 3);
  EXPECT_EQ(lengths[0], 0);
  EXPECT_EQ(lengths[2], 0);
}

TEST(SplitInPlaceW, SkipsLeadingRunsAndNullsEverySeparatorOfARun) {
  wchar_t text[] = L"  T0400H   B0065H ";
  wchar_t* fields[1] = {};
  ASSERT_EQ(SplitInPlaceW(text, L' ', fields, 1), 2);  // counted beyond the maximum
  EXPECT_STREQ(fields[0], L"T0400H");
  EXPECT_EQ(text[8], L'\0');
  EXPECT_EQ(text[9], L'\0');
  EXPECT_EQ(text[10], L'\0');
  EXPECT_STREQ(text + 11, L"B0065H");

  wchar_t only[] = L",,,";
  EXPECT_EQ(SplitInPlaceW(only, L',', fields, 1), 0);
}

TEST(SplitSpansW, LengthsInCharacters) {
  const wchar_t* fields[3] = {};
  int lengths[3] = {};
  ASSERT_EQ(SplitSpansW(L"\u756A\u7D44  \U0001F600", L' ', fields, lengths, 3), 2);
  EXPECT_EQ(lengths[0], 2);
  EXPECT_EQ(lengths[1], 1);
}

TEST(SplitToList, ReplacesContentAndMatchesVector) {
  std::list<std::wstring> list = {L"old"};
  EXPECT_EQ(SplitToList(L" a  b c ", L' ', list), 3);
  EXPECT_EQ(list, (std::list<std::wstring>{L"a", L"b", L"c"}));
  std::vector<std::wstring> vec = {L"old"};
  EXPECT_EQ(SplitToVector(L"", L' ', vec), 0);
  EXPECT_TRUE(vec.empty());
  EXPECT_EQ(SplitToVector(L"x;;y", L';', vec), 2);
  EXPECT_EQ(vec, (std::vector<std::wstring>{L"x", L"y"}));
}

}  // namespace
}  // namespace plimod
