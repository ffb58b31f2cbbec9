#pragma once
// Child processes of the tests: command lines through the shell, and
// programs started directly and waited for with a bound.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace plimod::test {

struct CommandResult {
  int exitCode = -1;  // -1 when the command did not exit normally
  std::string out;    // its standard output
};

// Runs a command line through the shell.
CommandResult RunCommand(const std::string& command);
// Just the standard output of RunCommand.
std::string CommandOutput(const std::string& command);

// Starts `program` with `arguments` and exactly the environment `env`
// ("NAME=value" entries); -1 when it could not be started.
pid_t StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::vector<std::string>& env);

// Adds the sanitizers' settings of the test run (ASAN_OPTIONS,
// UBSAN_OPTIONS) to a child's environment, so that they hold for it too.
void AddSanitizerOptions(std::vector<std::string>& env);

// The wait status, or nothing when the process did not end within `bound`.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds bound);

// Asks the process to end with SIGTERM, then kills it if it has not ended
// within `bound`; reaps it either way.
void StopProcess(pid_t pid, std::chrono::milliseconds bound);

// A started child that is stopped (SIGTERM, then SIGKILL past `bound`) and
// reaped when the owner goes out of scope, on every path out of a test.
class StartedProcess {
 public:
  explicit StartedProcess(pid_t pid, std::chrono::milliseconds bound = std::chrono::seconds(30))
      : pid_(pid), bound_(bound) {}
  ~StartedProcess() { Stop(); }
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Stops it now; later calls do nothing.
  void Stop() {
    StopProcess(pid_, bound_);
    pid_ = -1;
  }

 private:
  pid_t pid_;
  std::chrono::milliseconds bound_;
};

}  // namespace plimod::test
