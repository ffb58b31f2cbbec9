// epg_store_bench [FACTOR...]: writes the demo EPG folder (about forty
// services, eight days) scaled by each factor (default 1 and 10: the
// services are repeated under new network ids), then reports the time of a
// full load, of a reload after one file changed, and the heap the store
// keeps per event. Run with TZ=Asia/Tokyo.

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/epg_store.h"
#include "platform/paths.h"
#include "settings/settings.h"
#include "tools/epgwriter/demo_data.h"
#include "tools/epgwriter/epg_file_writer.h"

namespace {

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kJapanOffset = 9 * 3600;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// Writes the demo files `factor` times, each copy under other network ids.
// Returns the bytes written, 0 on failure.
std::uint64_t WriteScaledDemo(const std::string& folder, int factor) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + kJapanOffset;
  const std::int64_t day = now / kDaySeconds * kDaySeconds;
  std::uint64_t bytes = 0;
  const std::vector<epgwriter::DemoFile> files = epgwriter::MakeDemoFiles(day, now);
  for (int copy = 0; copy < factor; ++copy) {
    for (epgwriter::DemoFile file : files) {
      for (auto& transport : file.description.transports) {
        transport.original_network_id =
            static_cast<std::uint16_t>(transport.original_network_id + copy * 0x100);
      }
      const std::string path = folder + "/" + std::to_string(copy) + "_" + file.name;
      std::string error;
      if (!epgwriter::WriteEpgFile(file.description, epgwriter::WriteOptions{}, path, error)) {
        std::fprintf(stderr, "writer: %s\n", error.c_str());
        return 0;
      }
      bytes += std::filesystem::file_size(path);
    }
  }
  return bytes;
}

std::size_t CountEvents() {
  std::size_t events = 0;
  for (const auto& [key, list] : *plimod::EpgEventIndex) events += list.size();
  return events;
}

// The full load's two halves: feeding the files to the decoder, then the
// import (copying, converting and normalising every event).
void PrintBreakdown(const std::string& folder) {
  plimod::EpgStore store;
  auto start = Clock::now();
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    store.LoadEpgFileNative(entry.path().string());
  }
  const double feedMs = MsSince(start);
  start = Clock::now();
  store.ImportFromDll(L"", false);
  const double importMs = MsSince(start);
  std::printf("  full load split: feeding the decoder %.0f ms, import %.0f ms\n", feedMs, importMs);
}

struct LoadFigures {
  double fullMs = 0;
  double reloadMs = 0;
  std::size_t services = 0;
  std::size_t events = 0;
  double heapPerEvent = 0;
};

// A full load on a fresh store, then a reload after one file was written again.
LoadFigures LoadAndReload(const std::string& folder) {
  plimod::ResetEpgFolderState();
  LoadFigures figures;
  const std::size_t heapBefore = HeapInUse();
  plimod::EpgStore store;
  auto start = Clock::now();
  plimod::LoadEpgFolder(store);
  figures.fullMs = MsSince(start);
  figures.services = store.Services().size();
  figures.events = CountEvents();
  if (figures.events > 0) {
    figures.heapPerEvent = static_cast<double>(HeapInUse() - heapBefore) / figures.events;
  }
  // Only the changed file is fed, but the import copies all the decoder holds.
  std::filesystem::path largest;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (largest.empty() || entry.file_size() > std::filesystem::file_size(largest)) {
      largest = entry.path();
    }
  }
  std::filesystem::last_write_time(largest, std::filesystem::file_time_type::clock::now());
  start = Clock::now();
  plimod::LoadEpgFolder(store);
  figures.reloadMs = MsSince(start);
  return figures;
}

void Run(int factor) {
  char pattern[] = "/tmp/plimod-epg-bench-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  const std::uint64_t bytes = WriteScaledDemo(folder, factor);
  if (bytes == 0) return;
  plimod::Settings().Clear();
  plimod::Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER",
                               std::wstring(folder.begin(), folder.end()));
  plimod::Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"");
  // The first load in a process also pays for growing the heap.
  const LoadFigures cold = LoadAndReload(folder);
  const LoadFigures warm = LoadAndReload(folder);
  std::printf(
      "factor %2d: %zu services, %zu events, %.1f MB of files\n"
      "  full load %.0f ms (first in the process %.0f ms); reload after the largest file "
      "changed %.0f ms; heap %.0f bytes per event\n",
      factor, warm.services, warm.events, static_cast<double>(bytes) / 1e6, warm.fullMs,
      cold.fullMs, warm.reloadMs, warm.heapPerEvent);
  PrintBreakdown(folder);
  std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> factors;
  for (int i = 1; i < argc; ++i) factors.push_back(std::atoi(argv[i]));
  if (factors.empty()) factors = {1, 10};
  for (int factor : factors) {
    if (factor > 0) Run(factor);
  }
  return 0;
}
