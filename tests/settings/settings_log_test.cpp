// The shared document switches the process log on through SYSTEM/LOG.

#include <gtest/gtest.h>

#include <cstdlib>

#include "settings/settings.h"
#include "tests/settings/temp_folder.h"
#include "util/log.h"

namespace plimod {
namespace {

TEST(SettingsLog, LogKeyOfTheSharedDocumentSwitchesTheLogOn) {
  TempFolder home;
  ::setenv("PLIMOD_HOME", home.File("").c_str(), 1);
  EXPECT_EQ(&Settings(), &Settings());
  Settings().SetInt(L"SYSTEM", L"LOG", 1);
  ConnectLogSwitchToSettings();

  EXPECT_FALSE(LogWrite("lumod%s\n", "起動")) << "no main loop to post to yet";
  FlushLogQueue();
  EXPECT_EQ(LogFilePath(), home.File("lumo.log").wstring());
  const std::string content = ReadBytesFrom(home.File("lumo.log"));
  EXPECT_EQ(content.substr(17), "lumod\x8B\x4E\x93\xAE\n");
  Settings().Clear();
  ::unsetenv("PLIMOD_HOME");
}

}  // namespace
}  // namespace plimod
