#include "tools/epgwriter/demo_data.h"

#include <cstdio>

#include "tools/epgwriter/demo_catalogue.h"
#include "tools/epgwriter/epg_file_writer.h"

namespace epgwriter {
namespace {

constexpr int kDays = 8;
constexpr int64_t kDay = 86400;

// A small fixed generator, so the demo is the same on every machine.
class DemoRandom {
 public:
  explicit DemoRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
  template <typename T>
  const T& Pick(const std::vector<T>& from) { return from[Below(from.size())]; }

 private:
  uint64_t state_;
};

std::u16string FullWidthNumber(int value) {
  std::u16string digits;
  std::string ascii = std::to_string(value);
  for (char c : ascii) digits += static_cast<char16_t>(u'０' + (c - '0'));
  return digits;
}

DemoGenre GeneralGenreAt(int hour, DemoRandom& random) {
  static const std::vector<std::vector<DemoGenre>> by_hour_band = {
      {kAnime, kMusic, kMovie, kVariety},          // 0-4
      {kNews, kInformation, kNews},                // 5-8
      {kInformation, kDrama, kHobby},              // 9-12
      {kDrama, kInformation, kMovie, kHobby},      // 13-16
      {kAnime, kNews, kInformation},               // 17-18
      {kVariety, kDrama, kSports, kDocumentary},   // 19-21
      {kNews, kDocumentary, kMusic, kDrama},       // 22-23
  };
  size_t band = hour < 5 ? 0 : hour < 9 ? 1 : hour < 13 ? 2 : hour < 17 ? 3 : hour < 19 ? 4
                : hour < 22 ? 5 : 6;
  return random.Pick(by_hour_band[band]);
}

std::u16string PersonName(DemoRandom& random) {
  return random.Pick(DemoFamilyNames()) + u"　" + random.Pick(DemoGivenNames());
}

std::u16string Cast(DemoRandom& random, int count) {
  std::u16string cast;
  for (int i = 0; i < count; ++i) cast += (i > 0 ? u"、" : u"") + PersonName(random);
  return cast;
}

std::vector<ExtendedItem> Items(const DemoGenreText& g, const std::u16string& outline,
                                DemoRandom& random) {
  std::u16string detail = outline;
  int sentences = 1 + static_cast<int>(random.Below(6));
  for (int i = 0; i < sentences; ++i) detail += random.Pick(g.outlines);
  std::vector<ExtendedItem> items = {{u"番組内容", detail}};
  if (g.genre == kDrama || g.genre == kAnime || g.genre == kMovie) {
    items.push_back({u"出演者", Cast(random, 3 + static_cast<int>(random.Below(4)))});
    items.push_back({u"原作・脚本", PersonName(random)});
  } else if (g.genre == kVariety || g.genre == kInformation || g.genre == kMusic) {
    items.push_back({u"出演者", Cast(random, 2)});
  }
  return items;
}

EventDescription MakeEvent(uint16_t id, int64_t start, DemoGenre genre, int day_index,
                           bool scrambled, DemoRandom& random) {
  const DemoGenreText& g = DemoGenreOf(genre);
  EventDescription e;
  e.event_id = id;
  e.start = start;
  e.duration_seconds = static_cast<uint32_t>(random.Pick(g.minutes) * 60);
  e.free_ca = scrambled;
  e.title = random.Pick(g.titles);
  if (genre == kDrama || genre == kAnime) {
    e.title += u"　第" + FullWidthNumber(day_index + 1 + static_cast<int>(random.Below(20))) + u"話";
  }
  std::u16string outline = random.Pick(g.outlines);
  e.short_text = outline;
  if (genre == kDrama || genre == kAnime) e.short_text = u"「" + random.Pick(DemoSubtitles()) + u"」" + outline;
  e.items = Items(g, outline, random);
  e.genres = {(uint32_t{genre} << 24) | (uint32_t(random.Below(3)) << 16) | 0x0F0Fu};
  e.video = Component{0x01, 0xB3, u""};
  e.audio = Component{0x02, 0x03, u"ステレオ"};
  return e;
}

void FillProgrammes(ServiceDescription& service, int theme, bool scrambled, int64_t day) {
  DemoRandom random(static_cast<uint64_t>(day / kDay) * 1000003u + service.service_id * 7919u);
  uint16_t id = static_cast<uint16_t>(1 + (day / kDay) % 40000);
  int64_t end = day + kDays * kDay;
  for (int64_t t = day; t < end;) {
    int hour = static_cast<int>((t - day) % kDay / 3600);
    DemoGenre genre = (theme >= 0 && random.Below(4) != 0) ? static_cast<DemoGenre>(theme)
                                                           : GeneralGenreAt(hour, random);
    EventDescription e =
        MakeEvent(id++, t, genre, static_cast<int>((t - day) / kDay), scrambled, random);
    // Programmes end on a five-minute mark, as schedules do.
    int64_t stop = (t + *e.duration_seconds + 299) / 300 * 300;
    e.duration_seconds = static_cast<uint32_t>(stop - t);
    t = stop;
    service.events.push_back(std::move(e));
  }
}

char HexDigit(int v) { return "0123456789ABCDEF"[v & 0xF]; }

std::string FileName(uint16_t onid, uint16_t tsid) {
  std::string name;
  for (int shift = 12; shift >= 0; shift -= 4) name += HexDigit(onid >> shift);
  for (int shift = 12; shift >= 0; shift -= 4) name += HexDigit(tsid >> shift);
  return name + "_epg.dat";
}

bool IsTerrestrialStream(uint16_t tsid) { return (tsid & 0xF800) == 0x7800; }

DemoFile ShiftedCopy(const DemoFile& file, int copy) {
  DemoFile shifted = file;
  for (TransportDescription& ts : shifted.description.transports) {
    ts.original_network_id = static_cast<uint16_t>(ts.original_network_id + copy * 0x100);
    ts.transport_stream_id = static_cast<uint16_t>(
        IsTerrestrialStream(ts.transport_stream_id) ? ts.transport_stream_id - copy * 0x10
                                                    : ts.transport_stream_id + copy * 0x80);
    for (ServiceDescription& service : ts.services) {
      service.service_id = static_cast<uint16_t>(service.service_id + copy * 0x1000);
    }
  }
  const TransportDescription& first = shifted.description.transports.front();
  shifted.name = FileName(first.original_network_id, first.transport_stream_id);
  return shifted;
}

}  // namespace

std::vector<DemoFile> ScaleDemoFiles(const std::vector<DemoFile>& files, int scale) {
  std::vector<DemoFile> scaled = files;
  for (int copy = 1; copy < scale; ++copy) {
    for (const DemoFile& file : files) scaled.push_back(ShiftedCopy(file, copy));
  }
  return scaled;
}

std::vector<DemoFile> MakeDemoFiles(int64_t day, int64_t now) {
  std::vector<DemoFile> files;
  for (const DemoNetworkFile& network : DemoNetworkFiles()) {
    DemoFile file;
    file.name = FileName(network.transports[0].onid, network.transports[0].tsid);
    file.description.now = now;
    file.description.version = static_cast<uint8_t>((day / kDay) % 32);
    for (const DemoTransport& t : network.transports) {
      TransportDescription ts;
      ts.original_network_id = t.onid;
      ts.transport_stream_id = t.tsid;
      ts.extended_in_own_tables = network.satellite;
      for (const DemoService& s : t.services) {
        ServiceDescription service{s.service_id, s.type, s.name, {}};
        if (s.type == 0x01) FillProgrammes(service, s.theme, network.scrambled, day);
        ts.services.push_back(std::move(service));
      }
      file.description.transports.push_back(std::move(ts));
    }
    files.push_back(std::move(file));
  }
  return files;
}

bool WriteDemoFolder(const std::string& folder, int64_t day, int64_t now, int repetitions,
                     std::string& error, int scale) {
  WriteOptions options;
  options.repetitions = repetitions;
  for (const DemoFile& file : ScaleDemoFiles(MakeDemoFiles(day, now), scale)) {
    if (!WriteEpgFile(file.description, options, folder + "/" + file.name, error)) return false;
  }
  return true;
}

}  // namespace epgwriter
