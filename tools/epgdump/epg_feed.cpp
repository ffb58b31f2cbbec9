#include "tools/epgdump/epg_feed.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr size_t kPacket = 188;
constexpr size_t kBlock = 2000 * kPacket;

bool IsFedPid(unsigned pid) {
  return pid == 0x00 || pid == 0x10 || pid == 0x11 || pid == 0x12 || pid == 0x14;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

bool FeedEpgFile(const DecoderLibrary& library, int32_t instance, const std::string& path) {
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::vector<uint8_t> block(kBlock);
  for (;;) {
    size_t got = std::fread(block.data(), 1, block.size(), file.get());
    if (got < kPacket) return std::ferror(file.get()) == 0;
    for (size_t pos = 0; pos + kPacket <= got; pos += kPacket) {
      const uint8_t* packet = block.data() + pos;
      unsigned pid = ((packet[1] & 0x1Fu) << 8) | packet[2];
      if (IsFedPid(pid)) library.add_packet(instance, packet, kPacket);
    }
    if (got < block.size()) return std::ferror(file.get()) == 0;
  }
}
