#include "tests/support/child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <thread>

extern char** environ;

namespace plimod::test {

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.out.append(buffer, n);
  const int status = ::pclose(pipe);
  if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

std::string CommandOutput(const std::string& command) { return RunCommand(command).out; }

pid_t StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& env) {
  std::vector<std::string> args = arguments;
  args.insert(args.begin(), program);
  std::vector<std::string> vars = env;
  std::vector<char*> argv;
  std::vector<char*> envp;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto& e : vars) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
    return -1;
  }
  return pid;
}

void AddSanitizerOptions(std::vector<std::string>& env) {
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.starts_with("ASAN_OPTIONS=") || entry.starts_with("UBSAN_OPTIONS=")) env.push_back(entry);
  }
}

std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return std::nullopt;
}

void StopProcess(pid_t pid, std::chrono::milliseconds bound) {
  if (pid <= 0) return;
  ::kill(pid, SIGTERM);
  if (WaitForExit(pid, bound)) return;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace plimod::test
