#include <gtest/gtest.h>

#include <string>

#include "tests/support/scoped_env.h"
#include "util/module_paths.h"
#include "util/setting_file_path.h"

namespace plimod {
namespace {

using test::ScopedEnv;

std::wstring Unquoted(std::wstring path) {
  UnquotePath(path);
  return path;
}

std::wstring QuotedIfBlank(std::wstring path) {
  QuoteIfBlank(path);
  return path;
}

TEST(UnquotePath, OnlyWhenTheSecondQuoteIsTheLastCharacter) {
  EXPECT_EQ(Unquoted(L"\"/a b/c\""), L"/a b/c");
  EXPECT_EQ(Unquoted(L"\"\""), L"");
  EXPECT_EQ(Unquoted(L"\"a\"b\""), L"\"a\"b\"");
  EXPECT_EQ(Unquoted(L"\"a"), L"\"a");
  EXPECT_EQ(Unquoted(L"\""), L"\"");
  EXPECT_EQ(Unquoted(L"a\""), L"a\"");
}

TEST(QuoteIfBlank, QuotesOnceAndOnlyWithBlanks) {
  EXPECT_EQ(QuotedIfBlank(L"/a b"), L"\"/a b\"");
  EXPECT_EQ(QuotedIfBlank(L"\"/a b\""), L"\"/a b\"");
  EXPECT_EQ(QuotedIfBlank(L"\"/ab\""), L"/ab");
  EXPECT_EQ(QuotedIfBlank(L"/ab"), L"/ab");
  const std::wstring tooLong = L" " + std::wstring(kMaxPathChars - 2, L'x');
  EXPECT_EQ(QuotedIfBlank(tooLong), tooLong);
}

TEST(ModulePaths, FollowTheProgramFolder) {
  ScopedEnv home("PLIMOD_HOME", "/srv/home");
  EXPECT_EQ(InitModulePaths(L"plimo.ini"), L"/srv/home/plimo.ini");
  EXPECT_EQ(GetModuleDir(), L"/srv/home/");
  EXPECT_EQ(GetModuleFilePath(), L"/srv/home/plimo.ini");
  EXPECT_EQ(InitModulePaths(std::wstring(kMaxPathChars, L'x')), L"");
  EXPECT_EQ(GetModuleFilePath(), L"");
  EXPECT_EQ(GetModuleDir(), L"/srv/home/");
}

TEST(EpgTimerBonPath, DocumentsFolderAndSizeLimit) {
  ScopedEnv docs("XDG_DOCUMENTS_DIR", "/d");
  std::wstring out = L"unchanged";
  EXPECT_FALSE(GetEpgTimerBonPath(out, 21, L"n.txt"));  // 2 + 5 + 14 reaches 21
  EXPECT_EQ(out, L"unchanged");
  EXPECT_TRUE(GetEpgTimerBonPath(out, 22, L"n.txt"));
  EXPECT_EQ(out, L"/d/EpgTimerBon/n.txt");
  ScopedEnv noDocs("XDG_DOCUMENTS_DIR", nullptr);
  ScopedEnv noHome("HOME", nullptr);
  EXPECT_FALSE(GetEpgTimerBonPath(out, 4096, L"n.txt"));
}

TEST(SettingFilePath, FolderValuesGetTheName) {
  std::wstring out;
  ASSERT_TRUE(ComposeSettingFilePath(out, 260, L"/dir", L"x.txt", false));
  EXPECT_EQ(out, L"/dir/x.txt");
  ASSERT_TRUE(ComposeSettingFilePath(out, 260, L"/dir/", L"x.txt", false));
  EXPECT_EQ(out, L"/dir/x.txt");
  ASSERT_TRUE(ComposeSettingFilePath(out, 260, L"/dir/X.TXT", L"x.txt", false));
  EXPECT_EQ(out, L"/dir/X.TXT");
  ASSERT_TRUE(ComposeSettingFilePath(out, 260, L"/dir", nullptr, false));
  EXPECT_EQ(out, L"/dir/");
}

TEST(SettingFilePath, EmptyValuesAndLimits) {
  std::wstring out = L"unchanged";
  EXPECT_FALSE(ComposeSettingFilePath(out, 260, L"", L"x.txt", false));
  EXPECT_FALSE(ComposeSettingFilePath(out, 260, L"", nullptr, true));
  EXPECT_EQ(out, L"unchanged");
  ASSERT_TRUE(ComposeSettingFilePath(out, 260, L"", L"x.txt", true));
  EXPECT_EQ(out, L"x.txt");
  EXPECT_FALSE(ComposeSettingFilePath(out, 10, L"/dir", L"x.txt", false));  // 10 characters
  EXPECT_TRUE(ComposeSettingFilePath(out, 11, L"/dir", L"x.txt", false));
}

TEST(SettingFilePath, ReadsTheSettingsDocument) {
  IniFile ini;
  ASSERT_TRUE(ini.SetString(L"SET", L"DIR", L"/rec"));
  std::wstring out;
  ASSERT_TRUE(GetSettingFilePath(ini, out, 260, L"SET", L"DIR", L"a.txt", false));
  EXPECT_EQ(out, L"/rec/a.txt");
  EXPECT_FALSE(GetSettingFilePath(ini, out, 260, L"SET", L"NONE", L"a.txt", false));
  ASSERT_TRUE(GetSettingFilePath(ini, out, 260, L"SET", L"NONE", L"a.txt", true));
  EXPECT_EQ(out, L"a.txt");
}

}  // namespace
}  // namespace plimod
