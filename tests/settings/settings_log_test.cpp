// The shared document switches the process log on through SYSTEM/LOG.

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"
#include "util/log.h"

namespace plimod {
namespace {

using test::ReadFileBytes;
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

}  // namespace
}  // namespace plimod
