#include "services/recording_alert.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/sync.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_paths.h"
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
constexpr int kWaitSliceMs = 100;  // how soon a stop is seen
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

// What one watcher works with; the thread keeps it alive while it runs.
struct WatchContext {
  const IniFile* settings = nullptr;
  std::wstring mailProgram;
  std::wstring reserveFolder;
  std::optional<FolderWatches> watches;  // none: the reservation folder cannot be watched
  std::string firstAlert;
};

std::mutex controlMutex;
std::unique_ptr<StoppableThread> watcher;  // set from start to stop

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
bool WaitForChange(StopSignal& signal, const FolderWatches& watches) {
  while (!signal.StopRequested()) {
    pollfd changes{watches.fd.get(), POLLIN, 0};
    const int ready = poll(&changes, 1, kWaitSliceMs);
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0 && (changes.revents & POLLIN)) return !signal.StopRequested();
  }
  return false;
}

void Mail(const WatchContext& state, const std::string& alert) {
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
void PrepareWatch(WatchContext& state) {
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

int RunWatch(WatchContext& state, StopSignal& signal) {
  Mail(state, state.firstAlert);
  if (!state.watches) {
    LogWrite("録画フォルダ監視を開始できません:%s\n", ToNativePath(state.reserveFolder).c_str());
    return 1;
  }
  std::string alert;
  while (WaitForChange(signal, *state.watches)) {
    alert.clear();
    signal.WaitForStop(static_cast<std::uint32_t>(settlePause.load().count()));
    CollectChanges(*state.settings, ReadChanges(*state.watches), alert);
    signal.WaitForStop(static_cast<std::uint32_t>(afterReadPause.load().count()));
    Mail(state, alert);
  }
  return 0;
}

}  // namespace

bool StartRecordingFolderWatch(const IniFile& settings) {
  std::lock_guard control(controlMutex);
  if (watcher) return false;
  auto context = std::make_shared<WatchContext>();
  context->settings = &settings;
  context->mailProgram = ResolveSendmailPath(settings);
  PrepareWatch(*context);
  auto thread = std::make_unique<StoppableThread>();
  if (!thread->Start([context](StopSignal& signal) { RunWatch(*context, signal); })) return false;
  watcher = std::move(thread);
  return true;
}

bool StopRecordingFolderWatch() {
  std::lock_guard control(controlMutex);
  if (!watcher) return false;
  // A thread still in the mail program is left to end on its own.
  const bool ended = watcher->Stop(kStopPolls * 100);
  watcher.reset();
  return ended;
}

bool RecordingFolderWatchRunning() {
  std::lock_guard control(controlMutex);
  return watcher != nullptr;
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
