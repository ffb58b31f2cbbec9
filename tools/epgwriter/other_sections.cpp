#include "tools/epgwriter/other_sections.h"

#include "decoder/arib_string.h"
#include "decoder/crc32.h"

namespace epgwriter {
namespace {

constexpr size_t kMaxSdtBody = 1024 - 3 - 5 - 4 - 3;

bool ServiceEntry(const ServiceDescription& s, Bytes& out, std::string& error) {
  Bytes name = arib::Encode(s.name);
  if (name.size() > 250) {
    error = "service name too long";
    return false;
  }
  Bytes d{0x48, static_cast<uint8_t>(3 + name.size()), s.service_type, 0x00,
          static_cast<uint8_t>(name.size())};
  d.insert(d.end(), name.begin(), name.end());
  PutU16(out, s.service_id);
  out.push_back(0xE3);  // EIT schedule and present/following flags set
  PutU16(out, 0x8000u | static_cast<uint32_t>(d.size()));  // running, free
  out.insert(out.end(), d.begin(), d.end());
  return true;
}

Bytes ShortTimeSection(uint8_t table_id, int64_t japan_now, const Bytes& tail) {
  Bytes s{table_id, 0x70, 0x00};
  PutMjdTime(s, japan_now);
  s.insert(s.end(), tail.begin(), tail.end());
  size_t length = s.size() - 3;
  s[1] = static_cast<uint8_t>(0x70 | (length >> 8));
  s[2] = static_cast<uint8_t>(length & 0xFF);
  return s;
}

}  // namespace

bool BuildSdt(const TransportDescription& ts, bool actual, uint8_t version,
              std::vector<Bytes>& out, std::string& error) {
  std::vector<Bytes> bodies(1);
  for (const ServiceDescription& s : ts.services) {
    Bytes entry;
    if (!ServiceEntry(s, entry, error)) return false;
    if (bodies.back().size() + entry.size() > kMaxSdtBody) bodies.emplace_back();
    bodies.back().insert(bodies.back().end(), entry.begin(), entry.end());
  }
  for (size_t i = 0; i < bodies.size(); ++i) {
    Bytes body;
    PutU16(body, ts.original_network_id);
    body.push_back(0xFF);
    body.insert(body.end(), bodies[i].begin(), bodies[i].end());
    LongHeader h{static_cast<uint8_t>(actual ? 0x42 : 0x46), ts.transport_stream_id, version,
                 static_cast<uint8_t>(i), static_cast<uint8_t>(bodies.size() - 1)};
    out.push_back(MakeLongSection(h, body));
  }
  return true;
}

Bytes BuildTdt(int64_t japan_now) { return ShortTimeSection(0x70, japan_now, {}); }

// TOT: the time, an empty descriptor loop and a CRC over the whole section.
Bytes BuildTot(int64_t japan_now) {
  Bytes s = ShortTimeSection(0x73, japan_now, {0xF0, 0x00, 0, 0, 0, 0});
  uint32_t crc = epgdec::SectionCrc32(s.data(), s.size() - 4);
  size_t n = s.size();
  s[n - 4] = static_cast<uint8_t>(crc >> 24);
  s[n - 3] = static_cast<uint8_t>(crc >> 16);
  s[n - 2] = static_cast<uint8_t>(crc >> 8);
  s[n - 1] = static_cast<uint8_t>(crc);
  return s;
}

}  // namespace epgwriter
