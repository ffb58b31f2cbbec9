// Operations on the document in memory, and IniSection cursors.

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

#include "settings/ini_file.h"
#include "settings/ini_values.h"

namespace plimod {
namespace {

std::vector<std::wstring> LinesOf(const IniFile& doc, const wchar_t* section) {
  std::vector<std::wstring> lines;
  while (auto line = doc.GetIndexed(section, static_cast<int>(lines.size()))) lines.push_back(*line);
  return lines;
}

TEST(IniFileOps, GetStringIntoBuffers) {
  IniFile doc;
  doc.SetString(L"A", L"k", L"abcdef");
  wchar_t buf[8] = L"zzzzzzz";
  EXPECT_EQ(doc.GetString(L"A", L"k", buf, 4), 3);
  EXPECT_STREQ(buf, L"abc");
  EXPECT_EQ(doc.GetString(L"A", L"k", buf, 7), 6);
  EXPECT_STREQ(buf, L"abcdef");
  EXPECT_EQ(doc.GetString(L"A", L"k", buf, 6), 5);
  EXPECT_EQ(doc.GetString(L"A", L"k", nullptr, 0), 6);
  EXPECT_EQ(doc.GetString(L"A", L"missing", buf, 8), -1);
  EXPECT_STREQ(buf, L"");
  EXPECT_EQ(doc.GetString(L"A", L"k", buf, 0), 0);
}

TEST(IniFileOps, SetStringReplacesAppendsAndInserts) {
  IniFile doc;
  doc.AddSection(L"A");
  doc.SetString(L"A", L"k", L"1");
  doc.SetString(L"A", L"k", L"2");  // replaces the first match
  doc.SetString(L"A", nullptr, L"x", 5);  // past the end appends
  doc.InsertIndexed(L"A", 0, L"first");
  doc.InsertIndexed(L"A", 2, L"third");
  doc.SetString(L"A", L"j", L"3", 0);  // keyed lines always append
  EXPECT_EQ(LinesOf(doc, L"A"),
            (std::vector<std::wstring>{L"first", L"k=2", L"third", L"x", L"j=3"}));
  EXPECT_TRUE(doc.DeleteIndexed(L"A", 1));
  EXPECT_FALSE(doc.DeleteIndexed(L"A", 4));
  EXPECT_FALSE(doc.DeleteIndexed(L"A", -1));
  EXPECT_FALSE(doc.HasKey(L"A", L"k"));
  EXPECT_TRUE(doc.DeleteKey(L"A", L"j"));
  EXPECT_FALSE(doc.DeleteKey(L"A", L"j"));
  EXPECT_EQ(LinesOf(doc, L"A"), (std::vector<std::wstring>{L"first", L"third", L"x"}));
}

TEST(IniFileOps, DuplicatesStayAndTheFirstWins) {
  IniFile doc;
  doc.AddSection(L"A");
  doc.SetString(nullptr, L"k", L"one");
  doc.AddSection(L"A");  // a second section of the same name, now current
  doc.SetString(nullptr, L"k", L"two");
  EXPECT_EQ(doc.GetString(L"A", L"k"), L"one");
  EXPECT_EQ(doc.GetString(nullptr, L"k"), L"two");
  EXPECT_TRUE(doc.DeleteSection(L"A"));
  EXPECT_EQ(doc.GetString(L"A", L"k"), L"two");
}

TEST(IniFileOps, CurrentSectionRules) {
  IniFile doc;
  EXPECT_FALSE(doc.SetString(nullptr, L"k", L"v")) << "no current section to write to";
  EXPECT_EQ(doc.GetString(nullptr, L"k"), std::nullopt);
  doc.SetString(L"B", L"k", L"v");
  EXPECT_EQ(doc.CurrentSection(), std::nullopt) << "an appended section is not made current";
  EXPECT_TRUE(doc.SelectSection(L"B"));
  EXPECT_TRUE(doc.SelectSection(nullptr));
  EXPECT_EQ(doc.GetIntDefault(nullptr, L"k", 7), 0);
  EXPECT_FALSE(doc.SelectSection(L"missing"));
  EXPECT_EQ(doc.CurrentSection(), std::nullopt);
  doc.SelectSection(L"B");
  EXPECT_TRUE(doc.RenameSection(nullptr, L"C"));
  EXPECT_EQ(doc.CurrentSection(), L"C");
  EXPECT_FALSE(doc.RenameSection(L"B", L"D"));
  EXPECT_TRUE(doc.DeleteSection(L"C"));
  EXPECT_EQ(doc.CurrentSection(), std::nullopt);
  EXPECT_FALSE(doc.DeleteSection(L"C"));
}

TEST(IniFileOps, Integers) {
  IniFile doc;
  doc.SetString(L"A", L"n", L"  -42abc");
  doc.SetString(L"A", L"t", L"text");
  doc.SetString(L"A", L"big", L"99999999999");
  int value = 5;
  EXPECT_TRUE(doc.GetInt(L"A", L"n", value));
  EXPECT_EQ(value, -42);
  EXPECT_EQ(doc.GetIntDefault(L"A", L"t", 9), 0);
  EXPECT_EQ(doc.GetIntDefault(L"A", L"missing", 9), 9);
  EXPECT_EQ(doc.GetIntDefault(L"A", L"big", 0), 2147483647);
  EXPECT_FALSE(doc.GetInt(L"A", L"missing", value));
  doc.SetInt(L"A", L"n", -7);
  EXPECT_EQ(doc.GetString(L"A", L"n"), L"-7");
}

TEST(IniFileOps, IntLists) {
  std::array<int, 4> v{};
  EXPECT_EQ(ParseIniIntList(L"1, -2 ,3", v), 3);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], -2);
  EXPECT_EQ(v[2], 3);
  EXPECT_EQ(ParseIniIntList(L"1;2", v), 1);
  EXPECT_EQ(ParseIniIntList(L"1,2,3,4,5,6", v), 4) << "stops at the maximum";
  EXPECT_EQ(ParseIniIntList(L"", v), 0);
  EXPECT_EQ(ParseIniIntList(L"  ", v), 0);
  EXPECT_EQ(ParseIniIntList(L"x", v), 1) << "text reads as one 0, like atoi";
  EXPECT_EQ(v[0], 0);
  EXPECT_EQ(ParseIniIntList(L"1,", v), 2);
  EXPECT_EQ(ParseIniIntList(L"5", std::span<int>()), 0);

  IniFile doc;
  const std::array<int, 3> in{0, -5, 23};
  doc.SetIntList(L"S", L"TIME", in);
  EXPECT_EQ(doc.GetString(L"S", L"TIME"), L"0,-5,23");
  EXPECT_EQ(doc.GetIntList(L"S", L"TIME", v), 3);
  EXPECT_EQ(doc.GetIntList(L"S", L"missing", v), 0);
  doc.SetIntList(L"S", L"E", std::span<const int>());
  EXPECT_EQ(doc.GetString(L"S", L"E"), L"");
  EXPECT_EQ(doc.GetIntList(L"S", L"E", v), 0);
}

TEST(IniFileOps, LongIntListStopsBeforeOverflowing) {
  std::vector<int> many(200, -2147483647);
  const std::wstring text = FormatIniIntList(many);
  EXPECT_LE(text.size(), 1023u);
  EXPECT_GT(text.size(), 1000u);
  EXPECT_NE(text.back(), L',');
  std::vector<int> back(200);
  const int count = ParseIniIntList(text, back);
  EXPECT_EQ(count, static_cast<int>((text.size() + 1) / 12));
  EXPECT_EQ(back[count - 1], -2147483647);
}

TEST(IniSectionCursor, AbsentSectionReadsDefaultsAndIsCreatedAtFirstWrite) {
  IniFile doc;
  doc.SetInt(L"OTHER", L"k", 1);
  IniSection s(doc);
  EXPECT_FALSE(s.Select(L"EPGDATACAP", false));
  EXPECT_EQ(s.GetIntDefault(nullptr, L"k", 3), 3);
  EXPECT_FALSE(doc.HasSection(L"EPGDATACAP"));
  EXPECT_TRUE(s.SetInt(nullptr, L"k", 4));
  EXPECT_TRUE(doc.HasSection(L"EPGDATACAP"));
  EXPECT_EQ(doc.GetIntDefault(L"EPGDATACAP", L"k", 0), 4);
  EXPECT_EQ(s.GetIntDefault(nullptr, L"k", 0), 4);
  EXPECT_EQ(s.GetIntDefault(L"OTHER", L"k", 0), 1) << "a named section overrides the bound one";
}

TEST(IniSectionCursor, CallsStayOnTheBoundSection) {
  IniFile doc;
  IniSection a(doc);
  ASSERT_TRUE(a.Select(L"A", true));
  EXPECT_EQ(doc.CurrentSection(), L"A");
  doc.AddSection(L"B");  // someone else moves the document's current section
  a.SetString(nullptr, L"k", L"in A");
  const std::array<int, 2> list{1, 2};
  a.SetIntList(nullptr, L"l", list);
  EXPECT_EQ(doc.GetString(L"A", L"k"), L"in A");
  EXPECT_FALSE(doc.HasKey(L"B", L"k"));
  std::array<int, 2> out{};
  EXPECT_EQ(a.GetIntList(nullptr, L"l", out), 2);
  EXPECT_EQ(a.GetIndexed(nullptr, 0), L"k=in A");

  IniSection current(doc);  // binds the current section, B
  current.SetString(nullptr, L"k", L"in B");
  EXPECT_EQ(doc.GetString(L"B", L"k"), L"in B");
}

TEST(IniSectionCursor, DeletedSectionIsCreatedAgainOnWrite) {
  IniFile doc;
  IniSection s(doc);
  s.Select(L"A", true);
  doc.DeleteSection(L"A");
  EXPECT_EQ(s.GetString(nullptr, L"k"), std::nullopt);
  EXPECT_TRUE(s.SetString(nullptr, L"k", L"v"));
  EXPECT_EQ(doc.GetString(L"A", L"k"), L"v");
}

TEST(IniFileOps, FourThreadsWritingDifferentSectionsLoseNothing) {
  IniFile doc;
  constexpr int kPerThread = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&doc, t] {
      const std::wstring name = L"T" + std::to_wstring(t);
      IniSection cursor(doc);
      cursor.Select(name.c_str(), true);
      for (int i = 0; i < kPerThread; ++i) {
        const std::wstring key = L"k" + std::to_wstring(i);
        cursor.SetInt(nullptr, key.c_str(), i);
        doc.InsertIndexed(name.c_str(), -1, L"v");
        doc.SelectSection(name.c_str());
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) {
    const std::wstring name = L"T" + std::to_wstring(t);
    EXPECT_EQ(LinesOf(doc, name.c_str()).size(), 2u * kPerThread);
    for (int i = 0; i < kPerThread; ++i) {
      const std::wstring key = L"k" + std::to_wstring(i);
      EXPECT_EQ(doc.GetIntDefault(name.c_str(), key.c_str(), -1), i);
    }
  }
}

}  // namespace
}  // namespace plimod
