#include "recorder/srv/srv_row_conversion.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

SrvRecFolder Folder(std::wstring a, std::wstring b = L"", std::wstring c = L"", std::wstring d = L"") {
  SrvRecFolder f;
  f.parts = {std::move(a), std::move(b), std::move(c), std::move(d)};
  return f;
}

std::vector<SrvRecFolder> FoldersOf(const std::wstring& text) {
  ReserveRow row;
  row.folderText = text;
  SrvReserveData data;
  data.setting.folders.push_back(Folder(L"old"));
  ToSrvReserveData(row, data);
  return data.setting.folders;
}

std::wstring FolderTextOf(std::vector<SrvRecFolder> folders) {
  SrvReserveData data;
  data.setting.folders = std::move(folders);
  ReserveRow row;
  FromSrvReserveData(data, row);
  return row.folderText;
}

TEST(SrvRowConversion, FolderTextsBecomeFolderRecordsAndBack) {
  const std::wstring text = L"D:\\rec*a.dll\tE:\\tv";
  const std::vector<SrvRecFolder> folders = FoldersOf(text);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0].parts, Folder(L"D:\\rec", L"a.dll").parts);
  EXPECT_EQ(folders[1].parts, Folder(L"E:\\tv").parts);
  EXPECT_EQ(FolderTextOf(folders), text);

  // An empty middle part moves the later parts forward on the way back out.
  EXPECT_EQ(FolderTextOf({Folder(L"D:\\rec", L"", L"b.dll", L"")}), L"D:\\rec*b.dll");
  const std::vector<SrvRecFolder> again = FoldersOf(L"D:\\rec*b.dll");
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].parts, Folder(L"D:\\rec", L"b.dll").parts);

  EXPECT_TRUE(FoldersOf(L"\t*\t**\t").empty());
  // Five parts: the fifth is dropped.
  const std::vector<SrvRecFolder> five = FoldersOf(L"a*b*c*d*e");
  ASSERT_EQ(five.size(), 1u);
  EXPECT_EQ(five[0].parts, Folder(L"a", L"b", L"c", L"d").parts);
}

TEST(SrvRowConversion, PostActionZeroAndFourAreExchanged) {
  for (const auto& [row, wire] : std::vector<std::pair<int, int>>{{0, 4}, {4, 0}, {1, 1}, {2, 2}, {3, 3}}) {
    ReserveRow r;
    r.postAction = static_cast<std::uint16_t>(row);
    SrvReserveData data;
    ToSrvReserveData(r, data);
    EXPECT_EQ(data.setting.postAction, wire) << row;
    ReserveRow back;
    FromSrvReserveData(data, back);
    EXPECT_EQ(back.postAction, row);
  }
}

TEST(SrvRowConversion, OnlyTheRowsFieldsAreOverwritten) {
  SrvReserveData data;
  data.programStart = SystemTime{2026, 1, 0, 2, 3, 4, 5, 0};
  data.setting.optionA = 7;
  data.setting.optionB = 8;
  data.setting.optionWord = 9;
  data.trailingWord = 10;
  ReserveRow row;
  row.title = L"T";
  row.start = SystemTime{2026, 12, 3, 9, 21, 0, 0, 0};
  row.reserveId = 42;
  row.carriedByte = 0x1FE;
  row.unrecordable = 0x101;
  row.recordMode = 5;
  row.priority = 3;
  row.marginStart = 70000;
  row.serviceFlags = 0x31;
  row.batchPath = L"b.bat";
  row.extraText = L"x";
  ToSrvReserveData(row, data);
  EXPECT_EQ(data.title, L"T");
  EXPECT_EQ(data.start.wHour, 21);
  EXPECT_EQ(data.reserveId, 42u);
  EXPECT_EQ(data.carriedByte, 0xFE);
  EXPECT_EQ(data.unrecordable, 0x01);
  EXPECT_EQ(data.setting.recordMode, 5);
  EXPECT_EQ(data.setting.priority, 3);
  EXPECT_EQ(data.setting.marginStart, 70000u);
  EXPECT_EQ(data.setting.serviceFlags, 0x31u);
  EXPECT_EQ(data.setting.batchPath, L"b.bat");
  EXPECT_EQ(data.extraText, L"x");
  EXPECT_EQ(data.programStart.wHour, 3);
  EXPECT_EQ(data.setting.optionA, 7);
  EXPECT_EQ(data.setting.optionB, 8);
  EXPECT_EQ(data.setting.optionWord, 9u);
  EXPECT_EQ(data.trailingWord, 10u);
}

}  // namespace
}  // namespace plimod
