#include "services/recording_alert.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/text_codec.h"
#include "recorder/recorder_paths.h"
#include "services/mail_sender.h"
#include "services/recording_results.h"
#include "settings/settings.h"
#include "util/log.h"

namespace plimod {
namespace {

using std::chrono::milliseconds;

// Windows reported "last write" changes; a file replaced by rename (as our
// own rewrite of Program.txt does) counts as written too.
constexpr std::uint32_t kWatchMask = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_ONLYDIR;
constexpr int kStopPolls = 49;
constexpr int kWaitSliceMs = 1000;
constexpr std::wstring_view kErrorFileSuffix = L".ts.err";

std::atomic<milliseconds> settlePause{milliseconds(100)};
std::atomic<milliseconds> afterReadPause{milliseconds(1000)};

// A watcher left running past its stop bound may still be reading when the
// next one starts; they take turns.
std::mutex resultsMutex;
RecordingResults results;

// What one inotify watch stands for. The reservation folder may also be a
// recording folder: inotify then gives both the same watch.
struct WatchedFolder {
  bool reserveFolder = false;
  std::optional<std::wstring> recordingFolder;  // as the settings name it
};

struct FolderWatches {
  UniqueFd fd;
  std::map<int, WatchedFolder> folders;
};

struct WatchState {
  const IniFile* settings = nullptr;
  std::wstring mailProgram;
  std::wstring reserveFolder;
  std::optional<FolderWatches> watches;  // none: the reservation folder cannot be watched
  std::string firstAlert;
  UniqueFd wakeFd;  // eventfd, written once to stop the thread
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
};

std::mutex controlMutex;
std::shared_ptr<WatchState> running;
std::thread watchThread;

struct CycleChanges {
  bool reload = false;
  std::vector<std::pair<std::wstring, std::wstring>> errorFiles;  // folder, name
};

std::wstring FolderOfFile(const std::wstring& path) {
  const std::size_t last = path.find_last_of(L"/\\");
  if (last == std::wstring::npos) return L".";
  return last == 0 ? path.substr(0, 1) : path.substr(0, last);
}

int AddWatch(int fd, const std::wstring& folder) {
  return inotify_add_watch(fd, ToNativePath(folder).c_str(), kWatchMask);
}

// The reservation folder must be watchable; recording folders that are not
// are skipped.
std::optional<FolderWatches> OpenWatches(const IniFile& settings, const std::wstring& reserveFolder) {
  FolderWatches watches;
  watches.fd.reset(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!watches.fd) return std::nullopt;
  const int reserveWatch = AddWatch(watches.fd.get(), reserveFolder);
  if (reserveWatch < 0) return std::nullopt;
  watches.folders[reserveWatch].reserveFolder = true;
  for (int i = 0; i < kMaxRecordingFolders; ++i) {
    const std::optional<std::wstring> folder = settings.GetIndexed(L"EDCB_RECDIR", i);
    if (!folder) break;
    const int watch = AddWatch(watches.fd.get(), *folder);
    if (watch >= 0 && !watches.folders[watch].recordingFolder) watches.folders[watch].recordingFolder = *folder;
  }
  return watches;
}

bool IsProgramTxtName(std::wstring_view name) {
  constexpr std::wstring_view kName = L"program.txt";
  return name.size() == kName.size() &&
         std::equal(name.begin(), name.end(), kName.begin(),
                    [](wchar_t a, wchar_t b) { return (a >= L'A' && a <= L'Z' ? a - L'A' + L'a' : a) == b; });
}

void NoteRecord(const FolderWatches& watches, const inotify_event& record, CycleChanges& changes) {
  if (record.mask & IN_Q_OVERFLOW) changes.reload = true;  // records were lost
  if (record.len == 0 || !(record.mask & (IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO))) return;
  const auto folder = watches.folders.find(record.wd);
  if (folder == watches.folders.end()) return;
  const std::wstring name = Utf8ToWide(std::string_view(record.name, strnlen(record.name, record.len)));
  if (IsProgramTxtName(name)) changes.reload = true;
  if (folder->second.recordingFolder && name.ends_with(kErrorFileSuffix)) {
    std::pair<std::wstring, std::wstring> file{*folder->second.recordingFolder, name};
    if (std::find(changes.errorFiles.begin(), changes.errorFiles.end(), file) == changes.errorFiles.end()) {
      changes.errorFiles.push_back(std::move(file));
    }
  }
}

// Everything queued so far; each file is checked once per wake-up however
// often it was written.
CycleChanges ReadChanges(const FolderWatches& watches) {
  CycleChanges changes;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t got = read(watches.fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
      const auto* record = reinterpret_cast<const inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(inotify_event) + record->len);
      NoteRecord(watches, *record, changes);
    }
  }
  return changes;
}

// Waits for a change; false when stopping.
bool WaitForChange(WatchState& state, const FolderWatches& watches) {
  while (!state.stop) {
    pollfd fds[2] = {{watches.fd.get(), POLLIN, 0}, {state.wakeFd.get(), POLLIN, 0}};
    const int ready = poll(fds, 2, kWaitSliceMs);
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0 && (fds[0].revents & POLLIN)) return !state.stop;
  }
  return false;
}

// Sleeps, cut short by a stop.
void Pause(WatchState& state, milliseconds pause) {
  pollfd wake{state.wakeFd.get(), POLLIN, 0};
  if (!state.stop) poll(&wake, 1, static_cast<int>(pause.count()));
}

void Mail(const WatchState& state, const std::string& alert) {
  if (alert.empty()) return;
  const std::wstring email = state.settings->GetString(L"EDCB_ALERT", L"EMAIL").value_or(L"");
  SendMailText(state.mailProgram, EdcbAlertMail(email, alert));
}

void CollectChanges(const IniFile& settings, const CycleChanges& changes, std::string& alert) {
  std::lock_guard lock(resultsMutex);
  if (changes.reload) ReloadReserveResults(settings, results, alert);
  for (const auto& [folder, name] : changes.errorFiles) CheckRecordingErrorFile(results, folder, name, alert);
}

// Runs on the starting thread, so that once the watcher has started every
// later change is seen: the watches are made before the first read.
void PrepareWatch(WatchState& state) {
  const IniFile& settings = *state.settings;
  const std::optional<std::wstring> programTxt = LocateProgramTxt(settings);
  if (programTxt) state.reserveFolder = FolderOfFile(*programTxt);
  if (programTxt) state.watches = OpenWatches(settings, state.reserveFolder);
  std::lock_guard lock(resultsMutex);
  // Comments that were there before the run's first watcher are old news;
  // a restarted watcher reports what changed while none was running.
  const bool loadedBefore = results.commentsLoaded;
  ReloadReserveResults(settings, results, state.firstAlert);
  if (!loadedBefore) state.firstAlert.clear();
}

int RunWatch(WatchState& state) {
  Mail(state, state.firstAlert);
  if (!state.watches) {
    LogWrite("録画フォルダ監視を開始できません:%s\n", ToNativePath(state.reserveFolder).c_str());
    return 1;
  }
  std::string alert;
  while (WaitForChange(state, *state.watches)) {
    alert.clear();
    Pause(state, settlePause.load());
    CollectChanges(*state.settings, ReadChanges(*state.watches), alert);
    Pause(state, afterReadPause.load());
    Mail(state, alert);
  }
  return 0;
}

void WatchThreadBody(std::shared_ptr<WatchState> state) {
  RunWatch(*state);
  std::lock_guard lock(state->mutex);
  state->done = true;
  state->finished.notify_all();
}

}  // namespace

bool StartRecordingFolderWatch(const IniFile& settings) {
  std::lock_guard control(controlMutex);
  if (running) return false;
  auto state = std::make_shared<WatchState>();
  state->settings = &settings;
  state->mailProgram = ResolveSendmailPath(settings);
  state->wakeFd.reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!state->wakeFd) return false;
  PrepareWatch(*state);
  watchThread = std::thread(WatchThreadBody, state);
  running = std::move(state);
  return true;
}

bool StopRecordingFolderWatch() {
  std::lock_guard control(controlMutex);
  if (!running) return false;
  running->stop = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(running->wakeFd.get(), &one, sizeof one);
  bool ended;
  {
    std::unique_lock lock(running->mutex);
    ended = running->finished.wait_for(lock, milliseconds(kStopPolls * 100), [&] { return running->done; });
  }
  // A thread still in the mail program keeps its own state and ends alone.
  if (ended) {
    watchThread.join();
  } else {
    watchThread.detach();
  }
  running.reset();
  return ended;
}

bool RecordingFolderWatchRunning() {
  std::lock_guard control(controlMutex);
  return running != nullptr;
}

void ConfigureEdcbAlert(const IniFile& settings) {
  StopRecordingFolderWatch();
  if (settings.GetIntDefault(L"EDCB_ALERT", L"ENABLE", 0) == 0) return;
  if (!FileExists(ToNativePath(ResolveSendmailPath(settings)))) return;
  StartRecordingFolderWatch(settings);
}

void ConfigureEdcbAlert() { ConfigureEdcbAlert(Settings()); }

void SetRecordingWatchPauses(milliseconds settle, milliseconds afterRead) {
  settlePause = settle;
  afterReadPause = afterRead;
}

void ResetRecordingResultsForTesting() {
  std::lock_guard lock(resultsMutex);
  results = RecordingResults();
}

}  // namespace plimod
