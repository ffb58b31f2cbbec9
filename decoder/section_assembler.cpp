#include "decoder/section_assembler.h"

#include <algorithm>
#include <cstring>

#include "decoder/crc32.h"

namespace epgdec {
namespace {

constexpr size_t kHeaderSize = 3;
constexpr size_t kMinLongSectionSize = 12;  // 8-byte long header plus CRC
constexpr uint8_t kStuffing = 0xFF;

}  // namespace

size_t SectionTotalSize(const uint8_t* header) {
  size_t total = kHeaderSize + ((size_t{header[1] & 0x0Fu} << 8) | header[2]);
  bool long_form = (header[1] & 0x80) != 0;
  if (total > kMaxSectionSize || (long_form && total < kMinLongSectionSize)) return 0;
  return total;
}

void EmitCheckedSection(const uint8_t* section, size_t size, SectionSink& sink) {
  bool long_form = (section[1] & 0x80) != 0;
  if (long_form && SectionCrc32(section, size) != 0) return;
  sink.OnSection(section, size);
}

SectionAssembler::SectionAssembler() { partial_.reserve(kMaxSectionSize); }

void SectionAssembler::Reset() {
  Drop();
  last_counter_ = -1;
}

void SectionAssembler::Drop() {
  partial_.clear();
  expected_size_ = 0;
  in_section_ = false;
}

void SectionAssembler::PushPacket(const uint8_t* packet, SectionSink& sink) {
  if (packet[0] != 0x47 || (packet[1] & 0x80) != 0) {  // lost sync or transport error
    Drop();
    return;
  }
  bool unit_start = (packet[1] & 0x40) != 0;
  int control = (packet[3] >> 4) & 0x03;
  int counter = packet[3] & 0x0F;
  if ((control & 0x01) == 0) return;  // no payload: the counter does not advance

  size_t offset = 4;
  if (control == 3) offset += 1 + size_t{packet[4]};
  if (offset >= kTsPacketSize) {
    Drop();
    return;
  }
  if (last_counter_ >= 0) {
    bool same_counter = counter == last_counter_;
    if (same_counter && std::memcmp(packet, last_packet_, kTsPacketSize) == 0) return;
    if (same_counter || counter != ((last_counter_ + 1) & 0x0F)) Drop();
  }
  last_counter_ = counter;
  std::memcpy(last_packet_, packet, kTsPacketSize);

  const uint8_t* payload = packet + offset;
  size_t size = kTsPacketSize - offset;
  if (!unit_start) {
    if (in_section_) Continue(payload, size, sink);
    return;
  }
  size_t pointer = payload[0];
  ++payload;
  --size;
  if (pointer > size) {
    Drop();
    return;
  }
  if (in_section_) {
    Continue(payload, pointer, sink);
    if (in_section_) Drop();  // the next section starts before this one ended
  }
  TakeStarts(payload + pointer, size - pointer, sink);
}

void SectionAssembler::TakeStarts(const uint8_t* data, size_t size, SectionSink& sink) {
  while (size > 0 && data[0] != kStuffing) {
    if (size >= kHeaderSize) {
      size_t total = SectionTotalSize(data);
      if (total == 0) return;  // garbage: nothing more in this packet can be trusted
      if (total <= size) {     // whole section inside the packet: no copy
        EmitCheckedSection(data, total, sink);
        data += total;
        size -= total;
        continue;
      }
    }
    in_section_ = true;
    partial_.clear();
    expected_size_ = 0;
    Continue(data, size, sink);
    return;
  }
}

bool SectionAssembler::BeginHeader() {
  expected_size_ = SectionTotalSize(partial_.data());
  if (expected_size_ == 0) {
    Drop();
    return false;
  }
  return true;
}

size_t SectionAssembler::Continue(const uint8_t* data, size_t size, SectionSink& sink) {
  size_t used = 0;
  if (expected_size_ == 0) {
    size_t take = std::min(kHeaderSize - partial_.size(), size);
    partial_.insert(partial_.end(), data, data + take);
    used = take;
    if (partial_.size() < kHeaderSize || !BeginHeader()) return used;
  }
  size_t take = std::min(expected_size_ - partial_.size(), size - used);
  partial_.insert(partial_.end(), data + used, data + used + take);
  used += take;
  if (partial_.size() == expected_size_) {
    EmitCheckedSection(partial_.data(), partial_.size(), sink);
    Drop();
  }
  return used;
}

}  // namespace epgdec
