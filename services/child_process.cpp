#include "services/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/process_end.h"
#include "platform/spawn_attributes.h"
#include "platform/program_stop.h"
#include "util/log.h"

extern char** environ;

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kDrainBytes = 8191;
// Once the child has closed its output it is about to end: look more often.
constexpr std::chrono::milliseconds kEndingPollInterval{10};

// A write to a pipe whose reader is gone raises SIGPIPE, which would end
// this program where it is not ignored. Blocked for the writing thread, and
// a SIGPIPE our write raised is taken off again before the mask returns.
class SigpipeBlock {
 public:
  SigpipeBlock() {
    sigemptyset(&pipeSet_);
    sigaddset(&pipeSet_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSet_, &oldMask_);
    sigset_t pending;
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
  }
  ~SigpipeBlock() {
    if (!wasPending_) {
      const timespec noWait{};
      while (sigtimedwait(&pipeSet_, nullptr, &noWait) == SIGPIPE) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
  }
  SigpipeBlock(const SigpipeBlock&) = delete;
  SigpipeBlock& operator=(const SigpipeBlock&) = delete;

 private:
  sigset_t pipeSet_;
  sigset_t oldMask_;
  bool wasPending_ = false;
};

int MillisecondsUntil(Clock::time_point deadline, std::chrono::milliseconds cap) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp(left, std::chrono::milliseconds(0), cap).count());
}

// The standard descriptors are taken over in the child, so a pipe end that
// landed on one of them (this program's own were closed) moves up first.
bool MoveAboveStandardStreams(UniqueFd& fd) {
  if (fd.get() > STDERR_FILENO) return true;
  const int moved = fcntl(fd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (moved < 0) return false;
  fd.reset(moved);
  return true;
}

bool MakePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  readEnd.reset(ends[0]);
  writeEnd.reset(ends[1]);
  return MoveAboveStandardStreams(readEnd) && MoveAboveStandardStreams(writeEnd);
}

bool SetNonBlocking(const UniqueFd& fd) {
  const int flags = fcntl(fd.get(), F_GETFL);
  return flags >= 0 && fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) == 0;
}

std::vector<std::string> ArgumentWords(const ChildProcess& child) {
  // The working folder changes before the program is looked up, so a
  // relative path is made absolute against ours first.
  std::filesystem::path program(ToNativePath(child.program));
  std::error_code error;
  if (program.is_relative() && program.has_parent_path()) program = std::filesystem::absolute(program, error);
  std::vector<std::string> words{program.string()};
  const std::string arguments = ToNativePath(child.arguments);
  std::size_t start = 0;
  while (start < arguments.size()) {
    const std::size_t end = std::min(arguments.find(' ', start), arguments.size());
    if (end > start) words.push_back(arguments.substr(start, end - start));
    start = end + 1;
  }
  return words;
}

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

int Spawn(const ChildProcess& child, const UniqueFd& childInput, const UniqueFd& childOutput, pid_t& pid) {
  SpawnActions actions;
  posix_spawn_file_actions_adddup2(actions.get(), childInput.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), childOutput.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), childOutput.get(), STDERR_FILENO);
  posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);
  const std::string folder = ToNativePath(child.folder);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(actions.get(), folder.c_str());
  std::vector<std::string> words = ArgumentWords(child);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const SpawnAttributes attributes(POSIX_SPAWN_SETPGROUP);
  return posix_spawn(&pid, argv[0], actions.get(), attributes.get(), argv.data(), environ);
}

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 1;
}

// Reads once what is waiting; at the end of the output the pipe is closed.
void ReadAndDiscard(ChildProcess& child) {
  char buffer[kDrainBytes];
  const ssize_t got = read(child.output.get(), buffer, kDrainBytes);
  if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) child.output.reset();
}

// Waits up to `wait` for output (or the end of it) to read, or for the
// program's stop request.
void AwaitOutput(ChildProcess& child, std::chrono::milliseconds wait) {
  if (!child.output) wait = std::min(wait, kEndingPollInterval);
  pollfd watch[2] = {{child.output ? child.output.get() : -1, POLLIN, 0}, {ProgramStopFd(), POLLIN, 0}};
  if (poll(watch, 2, static_cast<int>(wait.count())) > 0 && (watch[0].revents & (POLLHUP | POLLERR)) &&
      !(watch[0].revents & POLLIN)) {
    child.output.reset();
  }
}

void EndAndReap(ChildProcess& child) {
  const int status = EndProcessGroup(child.pid);
  child.exitCode = status < 0 ? 1 : ExitCodeOf(status);
  child.pid = -1;
}

}  // namespace

bool StartChildProcessWith(ChildProcess& child, const std::wstring& program, const std::wstring& arguments,
                           const std::wstring& folder) {
  CloseChildProcess(child);
  child.program = program;
  child.arguments = arguments;
  child.folder = folder;
  if (StartChildProcess(child) > 0) return true;
  CloseChildProcess(child);
  return false;
}

pid_t StartChildProcess(ChildProcess& child) {
  UniqueFd outputRead, outputWrite, inputRead, inputWrite;
  if (!MakePipe(outputRead, outputWrite) || !MakePipe(inputRead, inputWrite)) return -1;
  if (!SetNonBlocking(outputRead) || !SetNonBlocking(inputWrite)) return -1;
  pid_t pid = -1;
  if (Spawn(child, inputRead, outputWrite, pid) != 0) return -1;
  child.pid = pid;
  child.output = std::move(outputRead);
  child.input = std::move(inputWrite);
  return pid;
}

void DrainChildOutput(ChildProcess& child) {
  int waiting = 0;
  if (child.output && ioctl(child.output.get(), FIONREAD, &waiting) == 0 && waiting > 0) {
    ReadAndDiscard(child);
    return;
  }
  PollChildProcess(child);
}

bool PollChildProcess(ChildProcess& child) {
  if (child.pid <= 0) return false;
  int status = 0;
  const pid_t done = waitpid(child.pid, &status, WNOHANG);
  if (done == 0 || (done < 0 && errno == EINTR)) return true;
  // Anything else than our child's status (it was reaped elsewhere) counts
  // as an abandoned wait.
  child.exitCode = done == child.pid ? ExitCodeOf(status) : 1;
  child.pid = -1;
  CloseChildProcess(child);
  return false;
}

bool WriteChildInput(ChildProcess& child, std::string_view bytes, Clock::time_point deadline) {
  const SigpipeBlock noSigpipe;
  std::size_t written = 0;
  while (child.input && written < bytes.size() && Clock::now() < deadline && !ProgramStopRequested()) {
    pollfd watch[3] = {{child.input.get(), POLLOUT, 0},
                       {child.output ? child.output.get() : -1, POLLIN, 0},
                       {ProgramStopFd(), POLLIN, 0}};
    if (poll(watch, 3, MillisecondsUntil(deadline, kChildPollInterval)) < 0 && errno != EINTR) break;
    if (watch[1].revents != 0) ReadAndDiscard(child);
    if (watch[0].revents == 0) continue;
    const ssize_t sent = write(child.input.get(), bytes.data() + written, bytes.size() - written);
    if (sent > 0) {
      written += static_cast<std::size_t>(sent);
    } else if (errno != EAGAIN && errno != EINTR) {
      break;  // EPIPE: the child stopped reading; it has what it took
    }
  }
  child.input.reset();
  return written == bytes.size();
}

int WaitChildProcess(ChildProcess& child, Clock::time_point deadline) {
  child.input.reset();
  while (child.pid > 0) {
    if (ProgramStopRequested()) {
      LogWrite("終了のため外部プログラムを終了させました: %ls\n", child.program.c_str());
      EndAndReap(child);
      break;
    }
    if (Clock::now() >= deadline) {
      LogWrite("外部プログラムが時間内に終わらないため終了させました: %ls\n", child.program.c_str());
      EndAndReap(child);
      break;
    }
    AwaitOutput(child, std::chrono::milliseconds(MillisecondsUntil(deadline, kChildPollInterval)));
    DrainChildOutput(child);
    PollChildProcess(child);
  }
  const int exitCode = child.exitCode;
  CloseChildProcess(child);
  return exitCode;
}

int GetChildExitCode(const ChildProcess& child) { return child.exitCode; }

void CloseChildProcess(ChildProcess& child) {
  if (child.pid > 0) EndAndReap(child);
  child.output.reset();
  child.input.reset();
  child.program.clear();
  child.arguments.clear();
  child.folder.clear();
}

}  // namespace plimod
