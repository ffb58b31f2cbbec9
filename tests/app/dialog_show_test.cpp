// The tray menu's dialog commands end to end on a desktop whose dialogs
// the test answers: what reaches the settings file, and the HTTP server
// restarting on the port the dialog stored.

#include <gtest/gtest.h>

#include "app/desktop_access.h"
#include "app/desktop_factory.h"
#include "app/dialog_models/http_settings_model.h"
#include "app/dialog_models/launcher_dialog_model.h"
#include "app/dialog_models/list_dialog_model.h"
#include "app/dialogs.h"
#include "server/http_config.h"
#include "server/http_server.h"
#include "settings/settings.h"
#include "tests/app/dialog_fakes.h"
#include "tests/support/scoped_env.h"

namespace plimod {
namespace {

using testing::ScriptedDesktop;
using testing::TempFolder;

class DialogShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Settings().Load(folder.File("plimo.ini").wstring(), true);
    auto owned = std::make_unique<ScriptedDesktop>();
    desktop = owned.get();
    UseDesktop(std::move(owned));
  }
  void TearDown() override {
    UseDesktop(nullptr);
    Settings().Clear();
  }
  std::unique_ptr<IniFile> Saved() const { return std::make_unique<IniFile>(folder.File("plimo.ini").wstring()); }

  TempFolder folder;
  ScriptedDesktop* desktop = nullptr;
};

TEST_F(DialogShowTest, LauncherOkSavesTheRowsAndCancelLeavesTheFileAlone) {
  desktop->launcher = [](LauncherDialogModel& model) {
    model.rows[0] = {L"ブラウザ", L"http://127.0.0.1/"};
    return kDialogCancel;
  };
  ShowLauncherDialog();
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "plimo.ini"));

  desktop->launcher = [](LauncherDialogModel& model) {
    model.rows[0] = {L"ブラウザ", L"http://127.0.0.1/"};
    return kDialogOk;
  };
  ShowLauncherDialog();
  EXPECT_EQ(Saved()->GetString(L"LAUNCH_1", L"CAPTION"), L"ブラウザ");
}

TEST_F(DialogShowTest, ListDialogSavesOnCloseAndOnCancelAlike) {
  desktop->list = [](ListDialogModel& model) {
    EXPECT_EQ(model.Kind(), ListKind::kBatchFiles);
    model.EditText() = L"/bat/a.sh";
    model.Set();
    return kDialogCancel;
  };
  ShowBatchFileDialog();
  EXPECT_EQ(Saved()->GetIndexed(L"EDCB_BATCHLIST", 0), L"/bat/a.sh");

  desktop->list = [](ListDialogModel& model) {
    EXPECT_EQ(model.Kind(), ListKind::kRecordingFolders);
    model.EditText() = L"/rec";
    model.Set();
    return kDialogOk;
  };
  ShowRecordingFolderDialog();
  EXPECT_EQ(Saved()->GetIndexed(L"EDCB_RECDIR", 0), L"/rec");
}

TEST_F(DialogShowTest, ADialogAskedForWhileOneIsOpenDoesNotOpen) {
  int opened = 0;
  desktop->http = [&opened](HttpSettingsModel&) {
    ++opened;
    ShowLauncherDialog();
    return kDialogCancel;
  };
  desktop->launcher = [&opened](LauncherDialogModel&) {
    ++opened;
    return kDialogCancel;
  };
  ShowHttpSettingsDialog();
  EXPECT_EQ(opened, 1);
  ShowLauncherDialog();
  EXPECT_EQ(opened, 2);
}

TEST_F(DialogShowTest, HttpOkRestartsTheServerOnTheNewPortAndAnEmptyPortKeepsIt) {
  UseLoopbackEphemeralPortForTesting();
  ASSERT_TRUE(StartHttpServer());
  const int port = testing::FreeLoopbackPort();
  desktop->http = [port](HttpSettingsModel& model) {
    model.port = std::to_wstring(port);
    return kDialogOk;
  };
  ShowHttpSettingsDialog();
  EXPECT_EQ(BoundHttpPort(), port);
  EXPECT_NE(testing::CurlStatus(port), "000");
  EXPECT_EQ(Saved()->GetString(L"SYSTEM", L"HTTPPORT"), std::to_wstring(port));

  desktop->http = [](HttpSettingsModel& model) {
    model.port = L"";
    return kDialogOk;
  };
  ShowHttpSettingsDialog();
  EXPECT_EQ(BoundHttpPort(), port);
  EXPECT_NE(testing::CurlStatus(port), "000");
  EXPECT_EQ(Saved()->GetString(L"SYSTEM", L"HTTPPORT"), L"0");
  StopHttpServer();
  ResetHttpConfigForTesting();
}

TEST(HeadlessDialogTest, WithoutADisplayTheDesktopStaysHeadlessAndDialogsDoNothing) {
  {
    test::ScopedEnv noDisplay("DISPLAY", nullptr);
    test::ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    EXPECT_FALSE(DisplayPresent());
    EXPECT_EQ(MakeDesktop(), nullptr);
  }

  UseDesktop(nullptr);
  EXPECT_EQ(CurrentDialogHost(), nullptr);
  ShowLauncherDialog();
  ShowHttpSettingsDialog();
  ShowBatchFileDialog();
}

}  // namespace
}  // namespace plimod
