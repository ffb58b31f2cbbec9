#pragma once
// Reassembles PSI/SI sections from the 188-byte transport packets of one PID.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace epgdec {

constexpr size_t kTsPacketSize = 188;
constexpr size_t kMaxSectionSize = 4096;

class SectionSink {
 public:
  virtual void OnSection(const uint8_t* section, size_t size) = 0;

 protected:
  ~SectionSink() = default;
};

// Hands every complete section to the sink: sections with the syntax
// indicator set only when their CRC-32 checks. A continuity-counter gap, a
// transport error or a new section start drops the partial section in
// progress; a repeated packet (same counter, same bytes) is ignored.
class SectionAssembler {
 public:
  SectionAssembler();
  void PushPacket(const uint8_t* packet, SectionSink& sink);
  void Reset();

 private:
  void TakeStarts(const uint8_t* data, size_t size, SectionSink& sink);
  size_t Continue(const uint8_t* data, size_t size, SectionSink& sink);
  bool BeginHeader();
  void Drop();

  std::vector<uint8_t> partial_;
  size_t expected_size_ = 0;  // 0 while the length field is not in yet
  bool in_section_ = false;
  int last_counter_ = -1;
  uint8_t last_packet_[188] = {};
};

// The length of a section from its first three bytes (table id, flags and
// the 12-bit section_length), or 0 when that length is not plausible.
size_t SectionTotalSize(const uint8_t* header);

// Emits the section when its CRC (if it has one) is right.
void EmitCheckedSection(const uint8_t* section, size_t size, SectionSink& sink);

}  // namespace epgdec
