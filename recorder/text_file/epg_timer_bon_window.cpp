#include "recorder/text_file/epg_timer_bon_window.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/process_end.h"
#include "platform/recorder_windows.h"
#include "platform/system_time.h"
#include "recorder/base/recorder_mode.h"
#include "server/page_reply.h"
#include "server/start_program.h"
#include "util/conversions.h"
#include "util/module_paths.h"
#include "util/setting_file_path.h"

namespace plimod {
namespace {

constexpr wchar_t kEpgTimerBonTitle[] = L"EpgTimer_Bon";
constexpr wchar_t kEpgDataCapTitle[] = L"EpgDataCap_Bon";
constexpr char kPlainTextHeader[] = "Content-Type: text/plain; charset=utf-8\n\n";

// A hung window must not hold the worker: the request waits this long.
constexpr std::uint32_t kCloseRequestTimeoutMs = 5000;
// After the close request, the window has this long to go (besides the
// first second) before the files are left alone.
constexpr int kCloseWaitPolls = 50;
constexpr int kStartWaitPolls = 50;
constexpr std::uint32_t kPollMs = 100;

std::mutex startedMutex;
std::vector<pid_t> startedPrograms;

// Ends the recorder programs this program started (each leads a session of
// its own) and reaps them, so copies never pile up.
void EndStarted() {
  std::vector<pid_t> started;
  {
    std::lock_guard lock(startedMutex);
    started.swap(startedPrograms);
  }
  for (pid_t pid : started) EndProcessGroup(pid);
}

void Remember(pid_t pid) {
  std::lock_guard lock(startedMutex);
  startedPrograms.push_back(pid);
}

bool IsExecutableFile(const std::wstring& path) {
  const std::string native = ToNativePath(path);
  struct stat st{};
  return ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         ::access(native.c_str(), X_OK) == 0;
}

// Waits until the window is gone, polling `polls` times.
bool WaitUntilGone(RecorderWindows& windows, int polls) {
  for (int i = 0; i < polls; ++i) {
    if (!FindRecorderWindow(windows, kEpgTimerBonTitle)) return true;
    SleepMs(kPollMs);
  }
  return !FindRecorderWindow(windows, kEpgTimerBonTitle);
}

void WriteRefusal(ReplyWriter& out) {
  SendPageText(out, "%s", kPlainTextHeader);
  SendPageText(out, "EpgDataCap_Bonが起動中です \n");
  SendPageText(out, "処理を完了できませんでした\n");
}

}  // namespace

bool IsEpgDataCapBusy() {
  RecorderWindows& windows = CurrentRecorderWindows();
  const auto window = FindRecorderWindow(windows, kEpgDataCapTitle);
  if (!window) return false;
  const std::vector<RecorderChildWindow> children = windows.Children(*window);
  return std::any_of(children.begin(), children.end(),
                     [](const RecorderChildWindow& child) { return child.text == L"UDP"; });
}

bool CloseEpgTimerBon(ReplyWriter& out) {
  if (EpgTimerSrvMode()) return true;
  RecorderWindows& windows = CurrentRecorderWindows();
  if (!windows.CanSeeWindows()) {
    // Its window cannot be asked to close: the copy we started is ended
    // instead, before its files are rewritten.
    EndStarted();
    return true;
  }
  const auto window = FindRecorderWindow(windows, kEpgTimerBonTitle);
  if (!window) return true;
  if (IsEpgDataCapBusy()) {
    WriteRefusal(out);
    return false;
  }
  windows.RequestClose(*window, kCloseRequestTimeoutMs);
  SleepMs(1000);
  // Its files must not be rewritten while it may still write them.
  if (!WaitUntilGone(windows, kCloseWaitPolls)) {
    WriteRefusal(out);
    return false;
  }
  return true;
}

bool RestartEpgTimerBon(const IniFile& settings, ReplyWriter* out, bool writeHeader) {
  if (EpgTimerSrvMode()) return true;
  std::wstring program;
  const bool made = GetSettingFilePath(settings, program, kMaxPathChars, L"EPGDATACAP",
                                       L"EPGTIMEREXE", L"EpgTimer_Bon.exe", true);
  const bool startable = made && IsExecutableFile(program);
  if (startable) EndStarted();  // one copy at a time
  const pid_t pid = startable ? StartProgramMinimized(program) : 0;
  if (pid > 0) {
    Remember(pid);
    RecorderWindows& windows = CurrentRecorderWindows();
    if (!windows.CanSeeWindows()) return true;  // no window will show
    SleepMs(200);
    for (int i = 0; i < kStartWaitPolls; ++i) {
      if (FindRecorderWindow(windows, kEpgTimerBonTitle)) break;
      if (i + 1 < kStartWaitPolls) SleepMs(kPollMs);
    }
    SleepMs(300);
    return true;
  }
  if (out == nullptr) return false;
  if (writeHeader) SendPageText(*out, "%s", kPlainTextHeader);
  SendPageText(*out, "EpgTimer_Bonの起動に失敗しました\n");
  SendPageText(*out, "%s\n", WideToUtf8(program).c_str());
  return false;
}

void EndStartedEpgTimerBon() { EndStarted(); }

}  // namespace plimod
