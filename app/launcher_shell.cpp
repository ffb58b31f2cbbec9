#include "app/launcher_shell.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "app/launcher_path.h"
#include "platform/file.h"
#include "platform/message_box.h"
#include "platform/spawn_attributes.h"
#include "util/text_shell_error.h"

extern char** environ;

namespace plimod {

namespace {

constexpr char kOpener[] = "xdg-open";
constexpr wchar_t kStartFailedText[] = L"起動に失敗しました";
// xdg-open reports a missing file or handler at once; one whose handler
// stays in the foreground is taken as a success after this long.
constexpr auto kOpenerVerdictWait = std::chrono::seconds(5);
constexpr auto kOpenerPoll = std::chrono::milliseconds(10);

std::mutex reapMutex;
std::vector<pid_t> childrenToReap;

void ReapFinished() {
  std::lock_guard lock(reapMutex);
  std::erase_if(childrenToReap, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

// The child gets default signal handling (this program ignores SIGPIPE) and
// a session of its own, so it outlives a Ctrl-C meant for this program.
// Returns 0 or the errno of the failure.
int Spawn(const std::vector<std::string>& words, pid_t& pid) {
  if (words.empty()) return ENOENT;
  ReapFinished();
  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const SpawnAttributes attr(POSIX_SPAWN_SETSID);
  return posix_spawnp(&pid, argv[0], nullptr, attr.get(), argv.data(), environ);
}

// The exit status of xdg-open, or 0 when it is still running after the wait.
int OpenerVerdict(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + kOpenerVerdictWait;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (done < 0) return 0;
    std::this_thread::sleep_for(kOpenerPoll);
  }
  ReapLater(pid);
  return 0;
}

}  // namespace

std::optional<int> OpenDocumentError(const std::wstring& path) {
  struct stat info;
  if (stat(ToNativePath(path).c_str(), &info) != 0) return ShellErrorCodeForErrno(errno);
  pid_t pid = -1;
  int error = Spawn({kOpener, ToNativePath(path)}, pid);
  // Without xdg-open there is nothing that knows which program opens it.
  if (error == ENOENT) return 31;
  if (error != 0) return ShellErrorCodeForErrno(error);
  int exitStatus = OpenerVerdict(pid);
  if (exitStatus == 0) return std::nullopt;
  return ShellErrorCodeForOpenerExit(exitStatus);
}

void ReapLater(pid_t pid) {
  if (pid <= 0) return;
  std::lock_guard lock(reapMutex);
  childrenToReap.push_back(pid);
}

int ShellErrorCodeForErrno(int error) {
  switch (error) {
    case ENOENT: return 2;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return 3;
    case EACCES:
    case EPERM: return 5;
    case ENOEXEC: return 11;
    case ENOMEM:
    case EAGAIN: return 8;
    default: return 0;
  }
}

int ShellErrorCodeForOpenerExit(int exitStatus) {
  switch (exitStatus) {
    case 2: return 2;
    case 3:
    case 4: return 31;
    default: return 0;
  }
}

pid_t OpenUrl(const std::wstring& url) {
  pid_t pid = -1;
  if (Spawn({kOpener, ToNativePath(url)}, pid) != 0) return -1;
  return pid;
}

bool OpenDocument(const std::wstring& path) {
  std::optional<int> code = OpenDocumentError(path);
  if (!code) return true;
  ShowMessageBox(ShellExecuteErrorText(*code));
  return false;
}

pid_t StartProcess(const std::wstring& commandLine) {
  pid_t pid = -1;
  std::optional<std::vector<std::string>> words = SplitCommandLine(commandLine);
  if (!words || Spawn(*words, pid) != 0) {
    ShowMessageBox(kStartFailedText);
    return -1;
  }
  return pid;
}

}  // namespace plimod
