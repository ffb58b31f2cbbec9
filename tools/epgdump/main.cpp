// epgdump [--lib PATH] FILE...
// Feeds EPG data files to the decoder module as the program does and prints
// its services (key order) and then their events (by start, then event id).

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "tools/epgdump/decoder_library.h"
#include "tools/epgdump/dump_format.h"
#include "tools/epgdump/epg_feed.h"

namespace {

std::string DefaultLibraryPath() {
  std::string self(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (n <= 0) return "EpgDataCap2.so";
  self.resize(static_cast<size_t>(n));
  return self.substr(0, self.rfind('/') + 1) + "EpgDataCap2.so";
}

uint64_t ServiceKey(const DecoderServiceEntry& s) {
  return (uint64_t{s.original_network_id & 0xFFFFu} << 32) |
         (uint64_t{s.transport_stream_id & 0xFFFFu} << 16) | (s.service_id & 0xFFFFu);
}

auto StartOrder(const DecoderEventEntry& e) {
  const DecoderSystemTime& t = e.start_time;
  return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second, e.event_id);
}

void PrintEvents(const DecoderLibrary& lib, int32_t id, const DecoderServiceEntry& s) {
  const DecoderEventEntry* list = nullptr;
  uint32_t count = 0;
  if (lib.get_events(id, s.original_network_id, s.transport_stream_id, s.service_id, &list,
                     &count) != 1) {
    return;
  }
  std::vector<DecoderEventEntry> events(list, list + count);
  std::stable_sort(events.begin(), events.end(),
                   [](const auto& a, const auto& b) { return StartOrder(a) < StartOrder(b); });
  for (const DecoderEventEntry& e : events) std::printf("%s\n", EventLine(e).c_str());
}

int Usage() {
  std::fprintf(stderr, "usage: epgdump [--lib PATH] FILE...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string library_path = DefaultLibraryPath();
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--lib") {
      if (++i >= argc) return Usage();
      library_path = argv[i];
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) return Usage();

  DecoderLibrary lib;
  std::string error;
  if (!lib.Load(library_path, error)) {
    std::fprintf(stderr, "epgdump: %s\n", error.c_str());
    return 1;
  }
  int32_t id = lib.initialize(0);
  if (id == -1) {
    std::fprintf(stderr, "epgdump: the decoder gave no instance\n");
    return 1;
  }
  int status = 0;
  for (const std::string& file : files) {
    lib.set_basic_mode(id, 1);
    lib.set_pf_only(id, 0);
    if (!FeedEpgFile(lib, id, file)) {
      std::fprintf(stderr, "epgdump: cannot read %s\n", file.c_str());
      status = 1;
    }
  }
  const DecoderServiceEntry* list = nullptr;
  uint32_t count = 0;
  if (lib.get_services(id, &list, &count) == 0) count = 0;
  std::vector<DecoderServiceEntry> services(list, list + count);
  std::stable_sort(services.begin(), services.end(),
                   [](const auto& a, const auto& b) { return ServiceKey(a) < ServiceKey(b); });
  for (const DecoderServiceEntry& s : services) std::printf("%s\n", ServiceLine(s).c_str());
  for (const DecoderServiceEntry& s : services) PrintEvents(lib, id, s);
  lib.uninitialize(id);
  return status;
}
