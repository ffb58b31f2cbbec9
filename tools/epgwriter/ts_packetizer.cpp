#include "tools/epgwriter/ts_packetizer.h"

#include <algorithm>

namespace epgwriter {
namespace {

constexpr size_t kPacketSize = 188;
constexpr size_t kPayloadSize = 184;

}  // namespace

void TsPacketizer::AddSection(const std::vector<uint8_t>& section, bool pack,
                              std::vector<uint8_t>& out) {
  starts_.push_back(queue_.size());
  queue_.insert(queue_.end(), section.begin(), section.end());
  while (queue_.size() >= kPayloadSize + 1) EmitPacket(false, out);
  if (!pack) Flush(out);
}

void TsPacketizer::Flush(std::vector<uint8_t>& out) {
  while (!queue_.empty()) EmitPacket(true, out);
}

// One packet from the head of the queue. A packet in which a section starts
// carries the pointer field; a section that would start on the last payload
// byte (no room for the pointer) waits for the next packet behind stuffing.
void TsPacketizer::EmitPacket(bool final_flush, std::vector<uint8_t>& out) {
  size_t first_start = starts_.empty() ? SIZE_MAX : starts_.front();
  bool unit_start = first_start < kPayloadSize - 1;
  size_t capacity = unit_start ? kPayloadSize - 1 : kPayloadSize;
  if (!unit_start && first_start < kPayloadSize) capacity = first_start;  // stuff before it
  size_t take = std::min(capacity, queue_.size());
  if (!final_flush && take < capacity) return;

  size_t begin = out.size();
  out.resize(begin + kPacketSize, 0xFF);
  uint8_t* p = out.data() + begin;
  p[0] = 0x47;
  p[1] = static_cast<uint8_t>((unit_start ? 0x40 : 0x00) | ((pid_ >> 8) & 0x1F));
  p[2] = static_cast<uint8_t>(pid_ & 0xFF);
  p[3] = static_cast<uint8_t>(0x10 | counter_);
  counter_ = (counter_ + 1) & 0x0F;
  size_t pos = 4;
  if (unit_start) p[pos++] = static_cast<uint8_t>(first_start);
  std::copy(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(take), p + pos);

  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(take));
  std::vector<size_t> remaining;
  for (size_t s : starts_) {
    if (s >= take) remaining.push_back(s - take);
  }
  starts_.swap(remaining);
}

}  // namespace epgwriter
