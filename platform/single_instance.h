#pragma once
// One running instance: owning an abstract Unix socket name is owning the
// lock. The kernel frees the name when the process ends, however it ends, so
// no stale lock survives a crash. A later start knocks on the socket to pass
// its request to the running instance.

#include <string>

namespace plimod {

enum class InstanceClaim { kOwned, kAlreadyRunning, kFailed };

class SingleInstance {
 public:
  explicit SingleInstance(std::string name);
  // Releases the name.
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  InstanceClaim Claim();
  void Release();
  // The listening descriptor while the name is owned, else -1. It becomes
  // readable when a later start knocks.
  int Fd() const { return fd_; }
  // Takes one knock; true when it asked for a reload. Waits at most a second
  // for the knocking process to send its request.
  bool TakeReloadRequest();

 private:
  std::string name_;
  int fd_ = -1;
};

// Asks the instance that owns `name` to reload; false when none answered.
bool SendReloadRequest(const std::string& name);

}  // namespace plimod
