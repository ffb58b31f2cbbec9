#pragma once
// The fake remote-control server (tests/fakes/remote_control) on a loopback
// port of its own, with a script of BonDrivers and services; stopped when
// the object goes.

#include <sys/types.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace plimod::test {

class FakeRemoteServer {
 public:
  // `script`: the fake's script lines; `silent`: it reads and never answers.
  explicit FakeRemoteServer(const std::string& script, bool silent = false);
  ~FakeRemoteServer();
  FakeRemoteServer(const FakeRemoteServer&) = delete;
  FakeRemoteServer& operator=(const FakeRemoteServer&) = delete;

  // Empty when the server did not start.
  const std::string& Port() const { return port_; }
  // The requests it received, in order.
  std::vector<std::string> Requests() const;

 private:
  TempFolder folder_{"remote"};
  pid_t pid_ = -1;
  std::string port_;
};

}  // namespace plimod::test
