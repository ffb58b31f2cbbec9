#pragma once
// Test stand-ins for the dialogs' surroundings: a desktop whose dialogs and
// pickers are scripted by the test, message boxes caught in a list, and a
// settings file in a folder of its own.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_models/dialog_host.h"
#include "platform/desktop.h"
#include "platform/message_box.h"
#include "tests/support/child_process.h"
#include "tests/support/loopback_port.h"
#include "tests/support/temp_folder.h"

namespace plimod::testing {

class ScriptedDesktop : public Desktop, public DialogHost {
 public:
  void AddTrayIcon(int) override {}
  void SetTrayIcon(int) override {}
  void DeleteTrayIcon() override {}
  void BringToForeground() override {}
  void ShowTrayMenu(const TrayMenu&) override {}
  void ShowMessageBox(std::wstring_view text, std::wstring_view) override {
    messages.emplace_back(text);
  }

  int RunLauncherDialog(LauncherDialogModel& model) override { return launcher(model); }
  int RunHttpSettingsDialog(HttpSettingsModel& model) override { return http(model); }
  int RunListDialog(ListDialogModel& model) override { return list(model); }
  FilePick PickFile(const std::wstring& initial, int filterIndex, std::wstring& chosen) override {
    fileRequests.push_back({initial, filterIndex});
    return pickFile(initial, chosen);
  }
  std::optional<std::wstring> PickFolder(const std::wstring& initial) override {
    folderRequests.push_back(initial);
    return pickFolder(initial);
  }

  struct FileRequest {
    std::wstring initial;
    int filterIndex;
  };

  std::function<int(LauncherDialogModel&)> launcher = [](auto&) { return kDialogCancel; };
  std::function<int(HttpSettingsModel&)> http = [](auto&) { return kDialogCancel; };
  std::function<int(ListDialogModel&)> list = [](auto&) { return kDialogCancel; };
  std::function<FilePick(const std::wstring&, std::wstring&)> pickFile =
      [](const std::wstring&, std::wstring&) { return FilePick::kCancelled; };
  std::function<std::optional<std::wstring>(const std::wstring&)> pickFolder =
      [](const std::wstring&) { return std::nullopt; };
  std::vector<FileRequest> fileRequests;
  std::vector<std::wstring> folderRequests;
  std::vector<std::wstring> messages;
};

// Message boxes shown while it lives, instead of standard error.
class CaughtMessageBoxes {
 public:
  CaughtMessageBoxes() {
    SetMessageBoxSink([this](std::wstring_view text, std::wstring_view caption) {
      texts.emplace_back(text);
      captions.emplace_back(caption);
    });
  }
  ~CaughtMessageBoxes() { SetMessageBoxSink(nullptr); }
  CaughtMessageBoxes(const CaughtMessageBoxes&) = delete;
  CaughtMessageBoxes& operator=(const CaughtMessageBoxes&) = delete;

  std::vector<std::wstring> texts;
  std::vector<std::wstring> captions;
};

using test::FreeLoopbackPort;
using test::TempFolder;

// The status code curl got for "/" on 127.0.0.1:port; "000" without an answer.
inline std::string CurlStatus(int port) {
  return test::CommandOutput("curl -s -o /dev/null --max-time 10 -w '%{http_code}' http://127.0.0.1:" +
                             std::to_string(port) + "/");
}

}  // namespace plimod::testing
