#include "tests/support/fake_remote_server.h"

#include <chrono>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_home.h"

namespace plimod::test {

FakeRemoteServer::FakeRemoteServer(const std::string& script, bool silent) {
  WriteFileBytes(folder_.File("script"), script);
  std::vector<std::string> args{"--script", folder_.File("script"), "--log", folder_.File("log"),
                                "--port-file", folder_.File("port")};
  if (silent) args.push_back("--silent");
  pid_ = StartProcess((kBuiltPrograms / "fake_remote_server").string(), args, {});
  // The port is whole once its line end is there.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (pid_ > 0 && (port_.empty() || port_.back() != '\n') && std::chrono::steady_clock::now() < deadline) {
    port_ = ReadFileBytes(folder_.File("port"));
    if (port_.empty() || port_.back() != '\n') std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!port_.empty() && port_.back() == '\n') {
    port_.pop_back();
  } else {
    port_.clear();
  }
}

FakeRemoteServer::~FakeRemoteServer() { StopProcess(pid_, std::chrono::seconds(10)); }

std::vector<std::string> FakeRemoteServer::Requests() const {
  const std::string text = ReadFileBytes(folder_.File("log"));
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

}  // namespace plimod::test
