// The launcher: which entries reach the menu, how a path is taken, and the
// real effects on the host with real child processes and a stand-in for
// xdg-open.

#include "app/launcher.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "app/launcher_path.h"
#include "app/launcher_shell.h"
#include "platform/text_codec.h"
#include "settings/ini_file.h"
#include "tests/app/dialog_fakes.h"

namespace plimod {
namespace {

using testing::CaughtMessageBoxes;
using testing::TempFolder;

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::wstring WidePath(const std::filesystem::path& path) { return Utf8ToWide(path.string()); }

int WaitForExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(LaunchPathTest, UrlsNeedSchemeSeparatorAndNoBlank) {
  EXPECT_EQ(ClassifyLaunchPath(L"http://x/y", false), LaunchKind::kUrl);
  EXPECT_EQ(ClassifyLaunchPath(L"http://x/y", true), LaunchKind::kUrl);
  EXPECT_EQ(ClassifyLaunchPath(L"http://x/a b", false), LaunchKind::kCommand);
  EXPECT_EQ(ClassifyLaunchPath(L"/home/me/a b://c", true), LaunchKind::kDocument);
  EXPECT_EQ(ClassifyLaunchPath(L"/home/me/report.pdf", true), LaunchKind::kDocument);
  EXPECT_EQ(ClassifyLaunchPath(L"/bin/prog --opt", false), LaunchKind::kCommand);
}

TEST(LaunchPathTest, CommandLinesSplitLikeAShellWithoutExpanding) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(SplitCommandLine(L"/bin/prog --opt  two"), (Words{"/bin/prog", "--opt", "two"}));
  EXPECT_EQ(SplitCommandLine(L"\"/opt/my app/run\" -x"), (Words{"/opt/my app/run", "-x"}));
  EXPECT_EQ(SplitCommandLine(L"run 'a b' c\\ d $HOME *"), (Words{"run", "a b", "c d", "$HOME", "*"}));
  EXPECT_EQ(SplitCommandLine(L"録画 ファイル"), (Words{"録画", "ファイル"}));
  EXPECT_FALSE(SplitCommandLine(L""));
  EXPECT_FALSE(SplitCommandLine(L"\"/opt/unclosed"));
}

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    actions.openUrl = [this](const std::wstring& url) { calls.push_back(L"url " + url); };
    actions.openDocument = [this](const std::wstring& path) { calls.push_back(L"document " + path); };
    actions.startProcess = [this](const std::wstring& line) { calls.push_back(L"command " + line); };
    actions.exists = [](const std::wstring& path) { return path.starts_with(L"/existing"); };
  }
  void SetEntry(int n, const wchar_t* caption, const wchar_t* path) {
    std::wstring section = L"LAUNCH_" + std::to_wstring(n);
    if (caption) settings.SetString(section.c_str(), L"CAPTION", caption);
    if (path) settings.SetString(section.c_str(), L"PATH", path);
  }

  IniFile settings;
  LauncherActions actions;
  std::vector<std::wstring> calls;
};

TEST_F(LauncherTest, EntriesStandInOrderBeforeTheLastSeparatorAndExit) {
  SetEntry(2, L"二", nullptr);
  SetEntry(1, L"一", nullptr);
  SetEntry(3, L"", L"/bin/true");
  SetEntry(8, L"八", nullptr);  // written by hand: past the dialog's six rows
  TrayMenu menu{{40004, L"http"}, {40003, L"launcher"}, {0, L""}, {0, L""}, {40001, L"exit"}};
  AddLauncherMenuItems(menu, settings);
  std::vector<std::uint32_t> commands;
  for (const TrayMenuItem& item : menu) commands.push_back(item.command);
  EXPECT_EQ(commands, (std::vector<std::uint32_t>{40004, 40003, 0, 50000, 50001, 50007, 0, 40001}));
  EXPECT_EQ(menu[3].text, L"一");
  EXPECT_EQ(menu[5].text, L"八");
}

TEST_F(LauncherTest, OnlyLauncherCommandsRunAndEachPathGoesWhereItBelongs) {
  SetEntry(1, L"web", L"http://localhost/x");
  SetEntry(2, L"doc", L"\"/existing/my doc.txt\"");
  SetEntry(3, L"cmd", L"\"/opt/my app/run\" -x");
  SetEntry(10, nullptr, L"/existing/ten");
  EXPECT_FALSE(RunLauncherItem(49999, settings, actions));
  EXPECT_FALSE(RunLauncherItem(50010, settings, actions));
  EXPECT_FALSE(RunLauncherItem(40001, settings, actions));
  for (std::uint32_t command : {50000u, 50001u, 50002u, 50009u}) {
    EXPECT_TRUE(RunLauncherItem(command, settings, actions));
  }
  EXPECT_EQ(calls, (std::vector<std::wstring>{L"url http://localhost/x", L"document /existing/my doc.txt",
                                              L"command \"/opt/my app/run\" -x",
                                              L"document /existing/ten"}));
}

TEST_F(LauncherTest, LongPathsAreCutAsTheyAreRead) {
  SetEntry(1, L"long", (L"/bin/" + std::wstring(2000, L'a')).c_str());
  RunLauncherItem(50000, settings, actions);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].size(), std::wstring(L"command ").size() + 1023);
}

class HostShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedPath_ = getenv("PATH") ? getenv("PATH") : "";
    std::string fakes = PLIMOD_SOURCE_DIR "/tests/fakes/xdg-open";
    setenv("PATH", (fakes + ":" + savedPath_).c_str(), 1);
    setenv("FAKE_XDG_OPEN_LOG", OpenerLog().c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", savedPath_.c_str(), 1);
    unsetenv("FAKE_XDG_OPEN_LOG");
    unsetenv("FAKE_XDG_OPEN_EXIT");
  }
  std::string OpenerLog() const { return (folder.Path() / "xdg-open.log").string(); }
  std::filesystem::path Script(const char* name, const std::string& body) const {
    std::filesystem::path path = folder.Path() / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }

  TempFolder folder;
  CaughtMessageBoxes boxes;

 private:
  std::string savedPath_;
};

TEST_F(HostShellTest, StartProcessRunsAProgramWhosePathHoldsABlankWithItsArguments) {
  std::filesystem::create_directory(folder.Path() / "my app");
  Script("my app/run", "printf '%s|' \"$@\" > \"$0.out\"; exit 3\n");
  std::wstring line = L"\"" + (folder.Path() / "my app/run").wstring() + L"\" -x 'two words'";
  pid_t pid = StartProcess(line);
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitForExit(pid), 3);
  EXPECT_EQ(ReadText(folder.Path() / "my app/run.out"), "-x|two words|");
  EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(HostShellTest, StartedProgramsDoNotInheritTheIgnoredBrokenPipeSignal) {
  signal(SIGPIPE, SIG_IGN);
  Script("sig", "grep '^SigIgn' /proc/$$/status > \"$0.out\"\n");
  pid_t pid = StartProcess((folder.Path() / "sig").wstring());
  ASSERT_GT(pid, 0);
  WaitForExit(pid);
  signal(SIGPIPE, SIG_DFL);
  const std::string line = ReadText(folder.Path() / "sig.out");
  ASSERT_TRUE(line.starts_with("SigIgn:\t")) << line;
  const unsigned long long ignored = std::stoull(line.substr(8), nullptr, 16);
  EXPECT_EQ(ignored & (1ull << (SIGPIPE - 1)), 0u) << line;
}

TEST_F(HostShellTest, AProgramThatCannotStartShowsTheFailureMessage) {
  EXPECT_EQ(StartProcess((folder.Path() / "missing").wstring() + L" -x"), -1);
  EXPECT_EQ(StartProcess(L""), -1);
  EXPECT_EQ(StartProcess(L"\"unclosed"), -1);
  ASSERT_EQ(boxes.texts.size(), 3u);
  EXPECT_EQ(boxes.texts[0], L"起動に失敗しました");
  EXPECT_EQ(boxes.captions[0], L"プリモ");
}

TEST_F(HostShellTest, DocumentsOpenThroughXdgOpenAndItsFailuresAreShown) {
  std::filesystem::path document = folder.Path() / "番組 表.txt";
  std::ofstream(document) << "x";
  EXPECT_TRUE(OpenDocument(WidePath(document)));
  EXPECT_EQ(ReadText(OpenerLog()), document.string() + "\n");

  setenv("FAKE_XDG_OPEN_EXIT", "4", 1);
  EXPECT_FALSE(OpenDocument(WidePath(document)));
  setenv("FAKE_XDG_OPEN_EXIT", "2", 1);
  EXPECT_FALSE(OpenDocument(WidePath(document)));
  unsetenv("FAKE_XDG_OPEN_EXIT");
  EXPECT_FALSE(OpenDocument((folder.Path() / "missing.txt").wstring()));
  EXPECT_EQ(boxes.texts, (std::vector<std::wstring>{L"ファイルの関連付けがありません", L"ファイルがありません",
                                                     L"ファイルがありません"}));
}

TEST_F(HostShellTest, WithoutXdgOpenADocumentHasNoAssociatedProgram) {
  std::filesystem::path document = folder.Path() / "a.txt";
  std::ofstream(document) << "x";
  setenv("PATH", folder.Path().c_str(), 1);
  EXPECT_FALSE(OpenDocument(WidePath(document)));
  EXPECT_EQ(boxes.texts, std::vector<std::wstring>{L"ファイルの関連付けがありません"});
}

TEST_F(HostShellTest, UrlsGoToXdgOpenUnchecked) {
  setenv("FAKE_XDG_OPEN_EXIT", "4", 1);
  pid_t pid = OpenUrl(L"http://127.0.0.1:1/番組?a=1&b=2");
  ASSERT_GT(pid, 0);
  EXPECT_EQ(WaitForExit(pid), 4);
  EXPECT_EQ(ReadText(OpenerLog()), "http://127.0.0.1:1/番組?a=1&b=2\n");
  EXPECT_TRUE(boxes.texts.empty());
}

TEST(ShellErrorCodeTest, ErrnoValuesAndXdgOpenStatusesMapToTheShellsCodes) {
  EXPECT_EQ(ShellErrorCodeForErrno(ENOENT), 2);
  EXPECT_EQ(ShellErrorCodeForErrno(ENOTDIR), 3);
  EXPECT_EQ(ShellErrorCodeForErrno(EACCES), 5);
  EXPECT_EQ(ShellErrorCodeForErrno(ENOEXEC), 11);
  EXPECT_EQ(ShellErrorCodeForErrno(ENOMEM), 8);
  EXPECT_EQ(ShellErrorCodeForOpenerExit(2), 2);
  EXPECT_EQ(ShellErrorCodeForOpenerExit(3), 31);
  EXPECT_EQ(ShellErrorCodeForOpenerExit(4), 31);
  EXPECT_EQ(ShellErrorCodeForOpenerExit(1), 0);
}

}  // namespace
}  // namespace plimod
