#pragma once
// The log's state: the queue of entries, the on/off decision, the file and
// the hooks that connect it to the settings and the main loop. The program
// uses one instance through util/log.h; tests make their own.

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "util/log_entry.h"

namespace plimod {

// When the file passes `threshold` bytes after a flush, it keeps what
// follows the first line end at or after `keepFrom`.
struct LogTrimLimits {
  std::size_t threshold = kLogTrimThreshold;
  std::size_t keepFrom = kLogTrimKeepFrom;
};

class Logger {
 public:
  // `path` of the log file; empty means "lumo.log" in the program folder,
  // looked up at the first Write.
  explicit Logger(std::wstring path = {}, LogTrimLimits limits = {});
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  void SetSwitch(std::function<bool()> isOn);
  void SetFlushPoster(std::function<bool()> post);

  // LogWrite after formatting: the first call decides whether logging is on
  // (asking the switch); then queues and requests a flush. True when the
  // request was posted.
  bool Write(std::string_view utf8Text);
  // Queues without deciding or posting.
  void WriteNoPost(std::string_view utf8Text);
  // Appends the queue to the file, then trims the file. Does nothing until
  // the first Write has switched logging on.
  void Flush();

  // Back to the state it was made in: undecided, nothing queued, no switch
  // or poster (tests that share the process log).
  void Restart();

  // False once logging is off for the run (callers skip formatting then).
  bool Accepting() const { return enabled_; }
  std::wstring Path() const;
  std::size_t QueuedCount() const;

 private:
  bool DecideOnce();
  void Enqueue(std::string_view utf8Text);
  // Puts entries that could not be written back in front of the queue.
  void Requeue(std::deque<std::string>& entries);
  void TrimFile(const std::wstring& path);

  const LogTrimLimits limits_;
  const std::wstring givenPath_;
  std::atomic<bool> enabled_{true};
  std::atomic<bool> decided_{false};
  std::mutex decideMutex_;  // serialises the one decision
  std::mutex flushMutex_;   // one flush at a time keeps entries in order
  mutable std::mutex mutex_;
  std::deque<std::string> queue_;
  std::wstring path_;
  std::function<bool()> isOn_;
  std::function<bool()> postFlush_;
};

}  // namespace plimod
