#include "server/http_settings.h"

#include <gtest/gtest.h>

#include "server/base64.h"
#include "server/http_config.h"
#include "settings/ini_file.h"
#include "util/module_paths.h"

namespace plimod {
namespace {

class HttpSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetHttpConfigForTesting(); }
  void TearDown() override { ResetHttpConfigForTesting(); }
  IniFile settings_;
};

TEST_F(HttpSettingsTest, NoKeysGiveTheDefaults) {
  ApplyHttpSettings(settings_);
  HttpConfig config = GetHttpConfig();
  EXPECT_EQ(config.port, 18990);
  EXPECT_EQ(config.auth_mode, 0);
  EXPECT_EQ(config.document_root, GetModuleDir() + L"public_html");
  EXPECT_EQ(config.credentials, ":");
}

TEST_F(HttpSettingsTest, PortsOutsideTheRangeKeepTheCurrentPort) {
  settings_.SetInt(L"SYSTEM", L"HTTPPORT", 8080);
  ApplyHttpSettings(settings_);
  EXPECT_EQ(GetHttpConfig().port, 8080);
  for (int bad : {0, -1, 70000}) {
    settings_.SetInt(L"SYSTEM", L"HTTPPORT", bad);
    ApplyHttpSettings(settings_);
    EXPECT_EQ(GetHttpConfig().port, 8080) << bad;
  }
  settings_.SetInt(L"SYSTEM", L"HTTPPORT", 65535);
  ApplyHttpSettings(settings_);
  EXPECT_EQ(GetHttpConfig().port, 65535);
}

TEST_F(HttpSettingsTest, CredentialsAreCutAndKeptInTheCodePage) {
  settings_.SetInt(L"SYSTEM", L"HTTP_AUTHMODE", 2);
  settings_.SetString(L"SYSTEM", L"HTTP_AUTH_ID", std::wstring(200, L'i'));
  settings_.SetString(L"SYSTEM", L"HTTP_AUTH_PASSWD", L"日本");
  ApplyHttpSettings(settings_);
  HttpConfig config = GetHttpConfig();
  EXPECT_EQ(config.auth_mode, 2);
  EXPECT_EQ(config.credentials, std::string(127, 'i') + ":\x93\xFA\x96\x7B");
}

TEST_F(HttpSettingsTest, LongRootsSwitchStaticFilesOff) {
  SetDocumentRoot(L"/srv/public_html");
  EXPECT_EQ(GetHttpConfig().document_root, L"/srv/public_html");
  SetDocumentRoot(std::wstring(kMaxPathChars + 1, L'a').c_str());
  EXPECT_EQ(GetHttpConfig().document_root, L"");
}

}  // namespace
}  // namespace plimod
