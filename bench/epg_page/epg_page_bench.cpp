// epg_page_bench [SCALE...] [--reservations N] [--server] [--days D]:
// loads the demo EPG folder written SCALE times over (epgwriter --scale;
// default 1, 5 and 10) with 30 saved search conditions, then times, each
// page written to a socket a reader drains:
//   - the front page (the search grid of the default view, 30 conditions),
//     plain and with the search words marked,
//   - the 24-hour programme table (05:00-29:00 of tomorrow) of each band
//     with every channel on one page, and the default first page of ten,
//   - the reservation list page,
//   - the phone's programme table (terrestrial, 20:00-23:00 of tomorrow)
//     and the phone's search-hit page of tomorrow (30 conditions).
// With --reservations N (-1: every hit) the hits of the conditions over D
// days (default 8) are reserved first, as automatic reservations, in the
// text-file recorder or, with --server, in the fake reservation server;
// every page then reads the reservation list as the program does: the list
// kept between pages, refreshed on its own worker (whose time is not the
// page's), and loaded again when stale.
// Run with TZ=Asia/Tokyo.

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/reserve_list_hooks.h"
#include "bench/support/bench_demo.h"
#include "bench/support/bench_recorder.h"
#include "epg/channel_order.h"
#include "epg/mark_switch.h"
#include "guide/civil_time.h"
#include "guide/epg_page/epg_page.h"
#include "guide/page_state.h"
#include "pages/auto_reserve/auto_reserve_page.h"
#include "pages/mobile/mobile_page.h"
#include "pages/recorder/reserve_list_page.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_load.h"
#include "server/reply_writer.h"
#include "server/request_context.h"

namespace {

constexpr std::int64_t kDaySeconds = 86400;
constexpr std::int64_t kJapanOffset = 9 * 3600;
constexpr int kRepeats = 15;

// Lets the writer collect its output where the writer offers that.
template <typename Writer>
void BufferIfOffered(Writer& out) {
  if constexpr (requires { out.BufferOutput(); }) out.BufferOutput();
}

struct Figures {
  double ms = 0;  // least CPU time of the repeats
  std::size_t bytes = 0;
};

struct Options {
  int reservations = 0;
  bool server = false;
  int days = 8;
};
Options options;

enum class Page { kEpg, kReserveList, kMobile };

// One page written to a socket whose other end a thread drains (into
// `kept` when given).
std::size_t RenderToSocket(const std::string& query, Page page, std::string* kept = nullptr) {
  using namespace plimod;
  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0) return 0;
  // Room for a whole page, so the time is the page's and not the reader's
  // wake-ups on a busy machine.
  const int room = 16 << 20;
  setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
  setsockopt(fds[1], SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
  std::size_t received = 0;
  std::thread reader([&] {
    char buffer[65536];
    ssize_t n = 0;
    while ((n = read(fds[1], buffer, sizeof buffer)) > 0) {
      received += static_cast<std::size_t>(n);
      if (kept != nullptr) kept->append(buffer, static_cast<std::size_t>(n));
    }
  });
  {
    RequestParameters params;
    params.Reset(query);
    ReplyWriter out(fds[0]);
    BufferIfOffered(out);
    if (page == Page::kReserveList) {
      ServeReserveListPage(out, params, Settings());  // loads the list itself
    } else if (page == Page::kMobile) {
      // The phone pages read the current request's parameters, which keep
      // only what a page of this server sent.
      RequestContext context;
      context.host = "bench:18990";
      context.referer = "http://bench:18990/m/";
      ScopedRequestContext scope(context);
      ParseRequestText(query);
      ServeMobilePage(out);
    } else {
      const PageView view = ReadViewParameters(params, PageModeOf(params.Value("mode")), LocalNow());
      MarkSwitch = view.mark;  // as the dispatcher sets it
      if (options.reservations != 0 || options.server) ReserveListAsLoaded(Settings());  // the dispatcher's step
      ServeEpgPage(out, params, Settings(), view);
    }
  }
  close(fds[0]);
  reader.join();
  close(fds[1]);
  return received;
}

Figures TimePage(const std::string& query, Page page = Page::kEpg) {
  Figures figures;
  figures.ms = bench::LeastCpuMs(kRepeats, [&] { figures.bytes = RenderToSocket(query, page); });
  return figures;
}

// The programmes a phone page lists (one link each).
int CountListed(const std::string& query) {
  std::string page;
  RenderToSocket(query, Page::kMobile, &page);
  int count = 0;
  for (std::size_t at = page.find("&eid="); at != std::string::npos; at = page.find("&eid=", at + 1)) ++count;
  return count;
}

void Run(int scale) {
  using namespace plimod;
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr)) + kJapanOffset;
  const std::string folder = bench::WriteScaledDemo(now / kDaySeconds * kDaySeconds, now, scale);
  if (folder.empty()) return;
  EpgStore store;
  if (!bench::LoadFolder(store, folder)) return;
  std::filesystem::remove_all(folder);
  std::printf("scale %d: %zu services, %zu events\n", scale, EpgEventIndex->size(),
              bench::CountEvents());
  bench::BenchRecorder recorder;
  if (options.server) {
    if (!recorder.UseServer(Settings())) {
      std::fprintf(stderr, "epg_page_bench: the fake reservation server did not start\n");
      return;
    }
  } else {
    recorder.UseTextFile(Settings());
  }
  const int reserved =
      options.reservations != 0 ? bench::ReserveConditionHits(Settings(), options.reservations, options.days) : 0;
  std::printf("  %d reservations (%s)\n", reserved, options.server ? "fake reservation server" : "text file");
  if (options.reservations != 0 || options.server) {
    const double load = bench::LeastCpuMs(kRepeats, [] { LoadReserveList(Settings()); });
    std::printf("  loading the reservation list: %.2f ms\n", load);
    ReserveListToShow(Settings());  // the pages below start from a loaded list
  }

  const Figures front = TimePage("");
  std::printf("  front page (search grid, 30 conditions): %.2f ms (%zu KB)\n", front.ms,
              front.bytes / 1024);
  const Figures marked = TimePage("mark=1");
  std::printf("  front page with the search words marked: %.2f ms (%zu KB)\n", marked.ms,
              marked.bytes / 1024);
  const int tomorrow = DateNumberAfterDays(BroadcastDayOf(LocalNow()), 1);
  const std::string day = "day=" + std::to_string(tomorrow);
  double allBands = 0;
  for (const auto& [band, name] : {std::pair{"1", "terrestrial"}, {"10", "BS"}, {"100", "CS"}}) {
    const auto mask = static_cast<std::uint32_t>(std::strtoul(band, nullptr, 16));
    const std::string table = "mode=epg&hour=5&range=24&band=" + std::string(band) + "&" + day;
    const Figures all = TimePage(table + "&page=all");
    const Figures first = TimePage(table);
    allBands += all.ms;
    std::printf("  24-hour table, %-11s %3d channels: all on one page %7.2f ms (%zu KB); "
                "first page of 10 %6.2f ms (%zu KB)\n",
                name, CountChannels(mask), all.ms, all.bytes / 1024, first.ms, first.bytes / 1024);
  }
  std::printf("  24-hour table, every band, all channels: %.2f ms\n", allBands);
  const Figures list = TimePage("cmd=edcb", Page::kReserveList);
  std::printf("  reservation list page: %.2f ms (%zu KB)\n", list.ms, list.bytes / 1024);
  for (const auto& [query, name] : {std::pair{"c=e&b=1&h=20&", "programme table (terrestrial, 3 hours)"},
                                    {"c=s&", "search hits (terrestrial, one day)"}}) {
    const std::string page = std::string(query) + "d=" + std::to_string(tomorrow);
    const Figures phone = TimePage(page, Page::kMobile);
    const int listed = CountListed(page);
    std::printf("  phone %s: %.3f ms (%zu KB, %d programmes, %.2f us each)\n", name, phone.ms,
                phone.bytes / 1024, listed, listed > 0 ? phone.ms * 1000 / listed : 0.0);
  }
  recorder.Clear(Settings());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> scales;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') {
      if (std::string_view(argv[i]) != "--server") ++i;  // the option's value
      continue;
    }
    scales.push_back(std::atoi(argv[i]));
  }
  if (scales.empty()) scales = {1, 5, 10};
  options.reservations = bench::IntOption(argc, argv, "--reservations", 0);
  options.server = bench::FlagOption(argc, argv, "--server");
  options.days = bench::IntOption(argc, argv, "--days", options.days);
  plimod::Settings().Clear();
  bench::WriteConditions(plimod::Settings());
  plimod::ConnectReserveListMarks();
  plimod::RegisterAutoReservePage();
  plimod::StartReserveListRefresh(plimod::Settings());
  for (int scale : scales) {
    if (scale > 0) Run(scale);
  }
  plimod::StopReserveListRefresh();
  return 0;
}
