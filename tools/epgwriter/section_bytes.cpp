#include "tools/epgwriter/section_bytes.h"

#include "decoder/crc32.h"

namespace epgwriter {
namespace {

uint8_t Bcd(int value) { return static_cast<uint8_t>(((value / 10) << 4) | (value % 10)); }

void PutBcdClock(Bytes& b, int64_t seconds) {
  b.push_back(Bcd(static_cast<int>(seconds / 3600)));
  b.push_back(Bcd(static_cast<int>(seconds / 60 % 60)));
  b.push_back(Bcd(static_cast<int>(seconds % 60)));
}

}  // namespace

void PutU16(Bytes& b, uint32_t value) {
  b.push_back(static_cast<uint8_t>(value >> 8));
  b.push_back(static_cast<uint8_t>(value));
}

void PutU24(Bytes& b, uint32_t value) {
  b.push_back(static_cast<uint8_t>(value >> 16));
  PutU16(b, value);
}

void PutMjdTime(Bytes& b, int64_t japan_seconds) {
  int64_t days = japan_seconds / 86400;
  int64_t rest = japan_seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  PutU16(b, static_cast<uint32_t>(days + 40587));
  PutBcdClock(b, rest);
}

void PutUndefinedTime(Bytes& b) { b.insert(b.end(), 5, 0xFF); }

void PutBcdDuration(Bytes& b, uint32_t seconds) { PutBcdClock(b, seconds); }

Bytes MakeLongSection(const LongHeader& h, const Bytes& body) {
  Bytes s;
  s.reserve(body.size() + 12);
  size_t section_length = 5 + body.size() + 4;
  s.push_back(h.table_id);
  s.push_back(static_cast<uint8_t>(0xF0 | ((section_length >> 8) & 0x0F)));
  s.push_back(static_cast<uint8_t>(section_length & 0xFF));
  PutU16(s, h.extension);
  s.push_back(static_cast<uint8_t>(0xC1 | ((h.version & 0x1F) << 1)));
  s.push_back(h.section_number);
  s.push_back(h.last_section_number);
  s.insert(s.end(), body.begin(), body.end());
  uint32_t crc = epgdec::SectionCrc32(s.data(), s.size());
  s.push_back(static_cast<uint8_t>(crc >> 24));
  s.push_back(static_cast<uint8_t>(crc >> 16));
  PutU16(s, crc & 0xFFFF);
  return s;
}

}  // namespace epgwriter
