#include "tools/epgwriter/epg_file_writer.h"

#include <cstdio>
#include <functional>
#include <memory>

#include "tools/epgwriter/eit_sections.h"
#include "tools/epgwriter/other_sections.h"
#include "tools/epgwriter/ts_packetizer.h"

namespace epgwriter {
namespace {

constexpr size_t kPresentFollowingEvery = 64;  // schedule sections between p/f rounds
constexpr size_t kServiceTableEvery = 256;
constexpr size_t kOutputChunk = 4 << 20;

struct AllSections {
  std::vector<Bytes> sdt;
  std::vector<Bytes> present_following;
  std::vector<Bytes> schedule;
  std::vector<Bytes> time;
};

bool Collect(const EpgFileDescription& d, const WriteOptions& o, AllSections& all,
             std::string& error) {
  for (size_t t = 0; t < d.transports.size(); ++t) {
    const TransportDescription& ts = d.transports[t];
    bool actual = t == 0;
    if (!BuildSdt(ts, actual, d.version, all.sdt, error)) return false;
    for (const ServiceDescription& s : ts.services) {
      ServiceContext c{&ts, &s, actual, d.now, d.version};
      if (o.present_following && !BuildPresentFollowing(c, all.present_following, error)) {
        return false;
      }
      if (o.schedule && !BuildSchedule(c, all.schedule, error)) return false;
    }
  }
  if (o.time_tables) all.time = {BuildTdt(d.now), BuildTot(d.now)};
  return true;
}

class CarouselWriter {
 public:
  CarouselWriter(const WriteOptions& options, std::function<bool(std::vector<uint8_t>&)> drain)
      : options_(options), drain_(std::move(drain)) {}

  bool Run(const AllSections& all) {
    for (int round = 0; round < options_.repetitions; ++round) {
      Emit(sdt_, all.sdt);
      Emit(time_, all.time);
      Emit(eit_, all.present_following);
      for (size_t i = 0; i < all.schedule.size(); ++i) {
        eit_.AddSection(all.schedule[i], options_.pack_sections, buffer_);
        if ((i + 1) % kPresentFollowingEvery == 0) Emit(eit_, all.present_following);
        if ((i + 1) % kServiceTableEvery == 0) {
          Emit(sdt_, all.sdt);
          Emit(time_, all.time);
        }
        if (buffer_.size() >= kOutputChunk && !drain_(buffer_)) return false;
      }
    }
    sdt_.Flush(buffer_);
    time_.Flush(buffer_);
    eit_.Flush(buffer_);
    return drain_(buffer_);
  }

 private:
  void Emit(TsPacketizer& pid, const std::vector<Bytes>& sections) {
    for (const Bytes& s : sections) pid.AddSection(s, options_.pack_sections, buffer_);
  }

  const WriteOptions& options_;
  std::function<bool(std::vector<uint8_t>&)> drain_;
  std::vector<uint8_t> buffer_;
  TsPacketizer sdt_{0x11};
  TsPacketizer eit_{0x12};
  TsPacketizer time_{0x14};
};

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

bool BuildEpgStream(const EpgFileDescription& d, const WriteOptions& o, std::vector<uint8_t>& out,
                    std::string& error) {
  AllSections all;
  if (!Collect(d, o, all, error)) return false;
  out.clear();
  CarouselWriter writer(o, [&out](std::vector<uint8_t>& chunk) {
    out.insert(out.end(), chunk.begin(), chunk.end());
    chunk.clear();
    return true;
  });
  return writer.Run(all);
}

bool WriteEpgFile(const EpgFileDescription& d, const WriteOptions& o, const std::string& path,
                  std::string& error) {
  AllSections all;
  if (!Collect(d, o, all, error)) return false;
  std::string temporary = path + ".tmp";
  std::unique_ptr<FILE, FileCloser> file(std::fopen(temporary.c_str(), "wb"));
  if (!file) {
    error = "cannot create " + temporary;
    return false;
  }
  CarouselWriter writer(o, [&file](std::vector<uint8_t>& chunk) {
    bool ok = std::fwrite(chunk.data(), 1, chunk.size(), file.get()) == chunk.size();
    chunk.clear();
    return ok;
  });
  bool written = writer.Run(all);
  written = std::fclose(file.release()) == 0 && written;
  if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace epgwriter
