#pragma once
// Cuts sections of one PID into 188-byte transport packets.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace epgwriter {

class TsPacketizer {
 public:
  explicit TsPacketizer(uint16_t pid) : pid_(pid) {}

  // Queues a section; whole packets go to `out` as they fill. With packing,
  // the next section follows in the same packet; without, the packet is
  // closed with 0xFF stuffing after each section.
  void AddSection(const std::vector<uint8_t>& section, bool pack, std::vector<uint8_t>& out);
  // Writes what is queued, padding the last packet with 0xFF.
  void Flush(std::vector<uint8_t>& out);

 private:
  void EmitPacket(bool final_flush, std::vector<uint8_t>& out);

  uint16_t pid_;
  uint8_t counter_ = 0;
  std::vector<uint8_t> queue_;
  std::vector<size_t> starts_;  // offsets in queue_ where sections begin
};

}  // namespace epgwriter
