#include "util/logger.h"

#include <sys/stat.h>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/system_time.h"
#include "util/file_io.h"
#include "util/log_entry.h"

namespace plimod {
namespace {

bool WriteWhole(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = WriteBytes(fd, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

Logger::Logger(std::wstring path, LogTrimLimits limits)
    : limits_(limits), givenPath_(path), path_(std::move(path)) {}

void Logger::Restart() {
  std::lock_guard decide(decideMutex_);
  std::lock_guard flush(flushMutex_);
  std::lock_guard lock(mutex_);
  queue_.clear();
  path_ = givenPath_;
  isOn_ = nullptr;
  postFlush_ = nullptr;
  enabled_ = true;
  decided_ = false;
}

void Logger::SetSwitch(std::function<bool()> isOn) {
  std::lock_guard lock(mutex_);
  isOn_ = std::move(isOn);
}

void Logger::SetFlushPoster(std::function<bool()> post) {
  std::lock_guard lock(mutex_);
  postFlush_ = std::move(post);
}

std::wstring Logger::Path() const {
  std::lock_guard lock(mutex_);
  return decided_ ? path_ : std::wstring();
}

std::size_t Logger::QueuedCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

// The switch runs outside the queue's mutex: it reads the settings, whose
// code may itself log.
bool Logger::DecideOnce() {
  if (decided_) return enabled_;
  std::lock_guard decide(decideMutex_);
  if (decided_) return enabled_;
  std::function<bool()> isOn;
  {
    std::lock_guard lock(mutex_);
    if (path_.empty()) path_ = ProgramDir() + L"lumo.log";
    isOn = isOn_;
  }
  if (!(isOn && isOn())) {
    enabled_ = false;
    std::lock_guard lock(mutex_);
    queue_.clear();  // nothing queued so far may reach a file
  }
  decided_ = true;
  return enabled_;
}

void Logger::Enqueue(std::string_view utf8Text) {
  std::string entry = MakeLogEntry(LocalNow(), utf8Text);
  std::lock_guard lock(mutex_);
  queue_.push_back(std::move(entry));
}

bool Logger::Write(std::string_view utf8Text) {
  if (!enabled_ || !DecideOnce()) return false;
  Enqueue(utf8Text);
  std::function<bool()> post;
  {
    std::lock_guard lock(mutex_);
    post = postFlush_;
  }
  return post && post();
}

void Logger::WriteNoPost(std::string_view utf8Text) {
  if (enabled_) Enqueue(utf8Text);
}

void Logger::Requeue(std::deque<std::string>& entries) {
  std::lock_guard lock(mutex_);
  queue_.insert(queue_.begin(), std::make_move_iterator(entries.begin()),
                std::make_move_iterator(entries.end()));
}

void Logger::Flush() {
  if (!decided_ || !enabled_) return;
  std::lock_guard flush(flushMutex_);
  std::deque<std::string> batch;
  std::wstring path;
  {
    std::lock_guard lock(mutex_);
    batch.swap(queue_);
    path = path_;
  }
  if (batch.empty()) return;
  UniqueFd fd = OpenAppend(path);
  if (!fd) {
    Requeue(batch);  // kept for the next flush
    return;
  }
  while (!batch.empty() && WriteWhole(fd.get(), batch.front())) batch.pop_front();
  if (!batch.empty()) Requeue(batch);
  struct stat st{};
  const bool sized = ::fstat(fd.get(), &st) == 0;
  fd.reset();
  if (sized && static_cast<std::size_t>(st.st_size) > limits_.threshold) TrimFile(path);
}

void Logger::TrimFile(const std::wstring& path) {
  std::string content;
  if (!ReadFileToString(path, content) || content.size() <= limits_.threshold) return;
  ReplaceFileAtomically(path, TrimmedLogContent(content, limits_.keepFrom));
}

}  // namespace plimod
