// epg_store_bench [SCALE...]: writes the demo EPG folder SCALE times over
// (epgwriter --scale; default 1, 5, 8 and 10), then reports for each, in a
// process of its own:
//   - the full load (least thread CPU time of loads into fresh stores: three,
//     or more for small folders so that their short times are as steady as
//     the large ones', since the figures are compared as ratios; and its two
//     halves: feeding the decoder and the import),
//   - a reload after the largest file changed,
//   - the heap the store keeps per event,
//   - the resident set after a load run on a thread of its own, as the
//     folder watch runs it.
// With --reloads N it reports instead the resident set after the first full
// load and after N full reloads into the same store (every file read
// again), taken in turn by the main thread and a thread of its own, as the
// reload timer and the folder watch take them.
// Run with TZ=Asia/Tokyo.

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/bench_demo.h"

namespace {

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kJapanOffset = 9 * 3600;
constexpr int kLoads = 3;
constexpr int kLoadsTimesScale = 24;  // the demo folder is loaded 24 times

std::size_t HeapInUse() { return mallinfo2().uordblks; }

long ResidentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

// The full load's two halves: feeding the files to the decoder, then the
// import (copying, converting and normalising every event).
void PrintBreakdown(const std::string& folder) {
  plimod::EpgStore store;
  double start = bench::ThreadCpuMs();
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    store.LoadEpgFileNative(entry.path().string());
  }
  const double feedMs = bench::ThreadCpuMs() - start;
  start = bench::ThreadCpuMs();
  store.ImportFromDll(L"", false);
  const double importMs = bench::ThreadCpuMs() - start;
  std::printf("  full load split: feeding the decoder %.0f ms, import %.0f ms\n", feedMs, importMs);
}

std::filesystem::path LargestFile(const std::string& folder) {
  std::filesystem::path largest;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (largest.empty() || entry.file_size() > std::filesystem::file_size(largest)) {
      largest = entry.path();
    }
  }
  return largest;
}

// Resident set after one load on a thread of its own, the store still held.
void PrintResidentSet(const std::string& folder) {
  const long before = ResidentKilobytes();
  plimod::EpgStore store;
  std::thread watch([&] { bench::LoadFolder(store, folder); });
  watch.join();
  std::printf("resident set after a load of the folder on a thread of its own: %.1f MiB "
              "(%.1f MiB before)\n",
              ResidentKilobytes() / 1024.0, before / 1024.0);
}

void RunReloads(int scale, int reloads) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + kJapanOffset;
  const std::string folder = bench::WriteScaledDemo(now / kDaySeconds * kDaySeconds, now, scale);
  if (folder.empty()) return;
  plimod::Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"");
  plimod::EpgStore store;
  const auto fullLoad = [&](bool onThread) {
    if (onThread) {
      std::thread watch([&] { bench::LoadFolder(store, folder); });
      watch.join();
    } else {
      bench::LoadFolder(store, folder);
    }
  };
  fullLoad(false);
  const long first = ResidentKilobytes();
  std::printf("scale %2d: resident set after the first load %.1f MiB\n", scale, first / 1024.0);
  for (int i = 1; i <= reloads; ++i) {
    fullLoad(i % 2 == 1);
    if (i == 1 || i % 5 == 0 || i == reloads) {
      std::printf("  after %2d reloads %.1f MiB (%.2fx)\n", i, ResidentKilobytes() / 1024.0,
                  static_cast<double>(ResidentKilobytes()) / static_cast<double>(first));
    }
  }
  std::filesystem::remove_all(folder);
}

void Run(int scale) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + kJapanOffset;
  const std::string folder = bench::WriteScaledDemo(now / kDaySeconds * kDaySeconds, now, scale);
  if (folder.empty()) return;
  plimod::Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"");
  PrintResidentSet(folder);

  double fullMs = 0;
  std::size_t events = 0;
  double heapPerEvent = 0;
  const int loads = std::max(kLoads, kLoadsTimesScale / std::max(scale, 1));
  for (int i = 0; i < loads; ++i) {
    const std::size_t heapBefore = HeapInUse();
    plimod::EpgStore store;
    const double start = bench::ThreadCpuMs();
    bench::LoadFolder(store, folder);
    const double spent = bench::ThreadCpuMs() - start;
    if (i == 0 || spent < fullMs) fullMs = spent;
    events = bench::CountEvents();
    if (events > 0) heapPerEvent = static_cast<double>(HeapInUse() - heapBefore) / events;
    if (i + 1 == loads) {
      // Only the changed file is fed again, but the import copies all the
      // decoder holds.
      std::filesystem::last_write_time(LargestFile(folder),
                                       std::filesystem::file_time_type::clock::now());
      const double reloadStart = bench::ThreadCpuMs();
      plimod::LoadEpgFolder(store);
      std::printf("scale %2d: %zu services, %zu events\n", scale, plimod::EpgEventIndex->size(),
                  events);
      std::printf("  full load %.1f ms; reload after the largest file changed %.0f ms; "
                  "heap %.0f bytes per event\n",
                  fullMs, bench::ThreadCpuMs() - reloadStart, heapPerEvent);
    }
  }
  PrintBreakdown(folder);
  std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> scales;
  int reloads = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--reloads" && i + 1 < argc) {
      reloads = std::atoi(argv[++i]);
      continue;
    }
    scales.push_back(std::atoi(argv[i]));
  }
  if (scales.empty()) scales = {1, 5, 8, 10};
  for (int scale : scales) {
    if (scale <= 0) continue;
    std::fflush(stdout);
    const pid_t child = fork();  // each scale starts from a clean heap
    if (child == 0) {
      if (reloads > 0) {
        RunReloads(scale, reloads);
      } else {
        Run(scale);
      }
      std::fflush(stdout);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
  }
  return 0;
}
