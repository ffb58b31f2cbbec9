// The shared document switches the process log on through SYSTEM/LOG.

#include <gtest/gtest.h>

#include "platform/text_codec.h"
#include "settings/settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "util/log.h"

namespace plimod {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;
using test::ScopedEnv;
using test::TempFolder;

TEST(SettingsLog, LogKeyOfTheSharedDocumentSwitchesTheLogOn) {
  TempFolder home;
  ScopedEnv homeVariable("PLIMOD_HOME", home.File("").c_str());
  EXPECT_EQ(&Settings(), &Settings());
  Settings().SetInt(L"SYSTEM", L"LOG", 1);
  ConnectLogSwitchToSettings();

  EXPECT_FALSE(LogWrite("lumod%s\n", "起動")) << "no main loop to post to yet";
  FlushLogQueue();
  EXPECT_EQ(LogFilePath(), home.File("lumo.log").wstring());
  const std::string content = ReadFileBytes(home.File("lumo.log"));
  EXPECT_EQ(content.substr(17), "lumod\x8B\x4E\x93\xAE\n");
  Settings().Clear();
}

TEST(SettingsLog, UnreadableFileIsLoggedAtStartAndSavesAreRefused) {
  TempFolder home;
  ScopedEnv homeVariable("PLIMOD_HOME", home.File("").c_str());
  const std::string garbage("\xFE\xFF\0[\0S\0]", 8);  // UTF-16BE
  WriteFileBytes(home.File("plimo.ini"), garbage);

  EXPECT_FALSE(LoadProgramSettings(home.File("plimo.ini").wstring()));
  EXPECT_FALSE(SaveSettings(Settings()));
  FlushLogQueue();
  const std::string path = home.File("plimo.ini").string();
  const std::string log = ReadFileBytes(home.File("lumo.log"));
  // The log is on although no LOG setting could be read; one line each.
  EXPECT_NE(log.find(WideToCp932(L"設定ファイルを読み込めませんでした(") + "line 1 comes before the first section)"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(WideToCp932(L"設定ファイルを保存できませんでした: ") + path + "\n"), std::string::npos) << log;
  EXPECT_EQ(ReadFileBytes(home.File("plimo.ini")), garbage);
  Settings().Clear();
}

}  // namespace
}  // namespace plimod
