#include "epg/epg_folder.h"

#include <malloc.h>

#include <atomic>
#include <map>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "epg/epg_busy_flag.h"
#include "epg/epg_file_list.h"
#include "epg/epg_folder_watch.h"
#include "epg/epg_index.h"
#include "epg/event_start_order.h"
#include "platform/paths.h"
#include "platform/file.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/log.h"
#include "util/text_width.h"

namespace plimod {
namespace {

constexpr std::size_t kNormalizeListMax = 2047;
constexpr std::size_t kLoggedNameBytes = 64;

// What was loaded: file name -> modification time at its last good load.
// Only one load runs at a time (loadMutex), whichever thread starts it.
std::mutex loadMutex;
std::map<std::wstring, std::int64_t> fileTimes;
std::atomic<std::int64_t> newestWriteTime{0};

std::wstring NormalizeListSetting() {
  IniFile& settings = Settings();
  std::optional<std::wstring> list = settings.GetString(L"SYSTEM", L"NORMALIZELIST");
  if (!list) {
    settings.SetString(L"SYSTEM", L"NORMALIZELIST", L"");
    (void)SaveSettings(settings);
    list.emplace();
  }
  if (list->size() > kNormalizeListMax) list->resize(kNormalizeListMax);
  toFullWidthLower(*list);
  return *list;
}

void LogLoadingFile(const std::wstring& name) {
  char utf8[kLoggedNameBytes];
  WideToUtf8(name, utf8, sizeof utf8);
  LogWrite("EPGデータ読み込み:%s\n", utf8);
}

// Feeds the files that changed since their last good load.
void FeedChangedFiles(EpgStore& store, const std::wstring& folder,
                      const std::vector<EpgFileEntry>& files) {
  const std::string nativeFolder = ToNativePath(folder);
  for (const EpgFileEntry& file : files) {
    std::int64_t& recorded = fileTimes.try_emplace(file.name, 0).first->second;
    if (recorded != file.writeTime) {
      LogLoadingFile(file.name);
      // A file that could not be read keeps its old time, so the next
      // reload tries it again.
      if (store.LoadEpgFileNative(nativeFolder + file.nativeName) == 1) {
        recorded = file.writeTime;
        if (file.writeTime > newestWriteTime) newestWriteTime = file.writeTime;
      }
    }
    if (EpgFolderWatchStopRequested()) break;
  }
}

void PublishStore(EpgStore& store) {
  std::unique_lock lock(EpgDataLock());
  EpgEventIndex = &store.Events();
  for (const auto& [key, service] : store.Services()) {
    if (!ServiceMap.contains(key) && store.Events().contains(key)) {
      ServiceMap.emplace(key, service.name);
    }
  }
  RebuildEventStartOrder();
}

}  // namespace

std::wstring EpgDataFolder() {
  std::wstring folder = Settings().GetString(L"SYSTEM", L"EPGDATAFOLDER").value_or(L"");
  if (folder.empty()) folder = DocumentsDir() + L"/EpgTimerBon/EpgData/";
  if (folder.back() != L'/') folder += L'/';
  return folder;
}

void PruneOldEvents() {
  const std::int64_t threshold = LocalNowTicks() - kEpgKeepTicks;
  std::unique_lock lock(EpgDataLock());
  for (const auto& [key, name] : ServiceMap) {
    auto events = EpgEventIndex->find(key);
    if (events == EpgEventIndex->end()) continue;
    std::erase_if(events->second,
                  [threshold](const auto& item) { return EventEndTicks(item.second) < threshold; });
  }
  RebuildEventStartOrder();
}

bool LoadEpgFolder(EpgStore& store) {
  std::lock_guard load(loadMutex);
  const std::wstring folder = EpgDataFolder();
  PruneOldEvents();
  store.ResetDll();
  const std::vector<EpgFileEntry> files = ListEpgFiles(folder);
  if (files.empty()) return false;
  FeedChangedFiles(store, folder, files);

  const std::wstring normalizeList = NormalizeListSetting();
  const bool halfWidth = Settings().GetIntDefault(L"SYSTEM", L"USEHALFCHAR", 0) != 0;
  store.ImportFromDll(normalizeList, halfWidth);
  store.ResetDll();
  PublishStore(store);
  // The decoder's tables, freed just now on the watch thread's own heap,
  // would otherwise stay in the resident set.
  malloc_trim(0);
  return true;
}

bool ReloadEpgIfIdle(EpgStore& store) {
  if (!EpgBusyFlag.TryAcquire(kEpgReloadPolls)) return false;
  ShowEpgBusy(true);
  LoadEpgFolder(store);
  ShowEpgBusy(false);
  EpgBusyFlag.Release();
  return true;
}

std::int64_t NewestEpgWriteTime() { return newestWriteTime.load(); }

SystemTime NewestEpgWriteTimeLocal() {
  const std::int64_t ticks = NewestEpgWriteTime();
  return LocalSystemTime(static_cast<std::time_t>(ticks / kTicksPerSecond - kSecondsFrom1601To1970),
                         static_cast<int>(ticks / kTicksPerMs % 1000));
}

void ResetEpgFolderState() {
  std::lock_guard load(loadMutex);
  fileTimes.clear();
  newestWriteTime = 0;
}

}  // namespace plimod
