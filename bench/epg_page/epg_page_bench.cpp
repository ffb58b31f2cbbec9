// epg_page_bench [FACTOR...]: loads the demo EPG folder (about forty
// services) repeated FACTOR times under other network ids (default 1 and 5,
// the second over 150 services), then times the 24-hour programme table
// (05:00-29:00 of tomorrow) of each band with every channel on one page,
// and the default first page of ten channels. Run with TZ=Asia/Tokyo.

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "epg/channel_order.h"
#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/epg_store.h"
#include "guide/civil_time.h"
#include "guide/epg_page.h"
#include "guide/page_state.h"
#include "server/reply_writer.h"
#include "settings/settings.h"
#include "tools/epgwriter/demo_data.h"
#include "tools/epgwriter/epg_file_writer.h"
#include "util/keys.h"

namespace {

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kJapanOffset = 9 * 3600;
constexpr int kRepeats = 20;

using Clock = std::chrono::steady_clock;

bool WriteScaledDemo(const std::string& folder, int factor) {
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + kJapanOffset;
  const std::int64_t day = now / kDaySeconds * kDaySeconds;
  const std::vector<epgwriter::DemoFile> files = epgwriter::MakeDemoFiles(day, now);
  for (int copy = 0; copy < factor; ++copy) {
    for (epgwriter::DemoFile file : files) {
      for (auto& transport : file.description.transports) {
        transport.original_network_id = static_cast<std::uint16_t>(transport.original_network_id + copy * 0x100);
      }
      std::string error;
      const std::string path = folder + "/" + std::to_string(copy) + "_" + file.name;
      if (!epgwriter::WriteEpgFile(file.description, epgwriter::WriteOptions{}, path, error)) {
        std::fprintf(stderr, "writer: %s\n", error.c_str());
        return false;
      }
    }
  }
  return true;
}

struct Figures {
  double ms = 0;       // median of the repeats
  std::size_t bytes = 0;
};

Figures TimePage(const std::string& query) {
  using namespace plimod;
  std::vector<double> times;
  std::size_t bytes = 0;
  for (int i = 0; i < kRepeats; ++i) {
    RequestParameters params;
    params.Reset(query);
    const PageView view = ReadViewParameters(params, PageModeOf(params.Value("mode")), LocalNow());
    std::string page;
    ReplyWriter out(&page);
    const auto start = Clock::now();
    ServeEpgPage(out, params, Settings(), view);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    bytes = page.size();
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], bytes};
}

void Run(int factor) {
  using namespace plimod;
  char pattern[] = "/tmp/plimod-page-bench-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  if (!WriteScaledDemo(folder, factor)) return;
  Settings().Clear();
  Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", std::wstring(folder.begin(), folder.end()));
  ResetEpgFolderState();
  EpgStore store;
  LoadEpgFolder(store);
  std::size_t events = 0;
  for (const auto& [key, list] : *EpgEventIndex) events += list.size();
  std::printf("factor %d: %zu services, %zu events\n", factor, EpgEventIndex->size(), events);

  const int tomorrow = DateNumberAfterDays(BroadcastDayOf(LocalNow()), 1);
  const std::string day = "day=" + std::to_string(tomorrow);
  double allBands = 0;
  for (const auto& [band, name] : {std::pair{"1", "terrestrial"}, {"10", "BS"}, {"100", "CS"}}) {
    const std::uint32_t mask = static_cast<std::uint32_t>(std::strtoul(band, nullptr, 16));
    const Figures all = TimePage("mode=epg&hour=5&range=24&page=all&band=" + std::string(band) + "&" + day);
    const Figures first = TimePage("mode=epg&hour=5&range=24&band=" + std::string(band) + "&" + day);
    allBands += all.ms;
    std::printf("  %-11s %3d channels: all on one page %7.2f ms (%zu KB); first page of 10 %6.2f ms (%zu KB)\n", name,
                CountChannels(mask), all.ms, all.bytes / 1024, first.ms, first.bytes / 1024);
  }
  std::printf("  every band, all channels: %.2f ms\n", allBands);
  const Figures grid = TimePage("mode=&range=7&band=1111&" + day);
  std::printf("  search grid, 7 days, no conditions: %.2f ms\n", grid.ms);
  std::filesystem::remove_all(folder);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> factors;
  for (int i = 1; i < argc; ++i) factors.push_back(std::atoi(argv[i]));
  if (factors.empty()) factors = {1, 5};
  for (int factor : factors) {
    if (factor > 0) Run(factor);
  }
  return 0;
}
