#pragma once
// The per-instance store of SDT and EIT sections, kept per section and version.

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "decoder/extended_text.h"
#include "decoder/section_arena.h"
#include "decoder/si_records.h"

namespace epgdec {

// (onid << 32) | (tsid << 16) | sid, the order services are listed in.
uint64_t MakeServiceKey(uint16_t onid, uint16_t tsid, uint16_t sid);

struct ServiceInfo {
  uint64_t key = 0;
  const ServiceRecord* record = nullptr;
};

// One event merged from every table that carries it.
struct MergedEvent {
  uint16_t event_id = 0;
  const EventRecord* timing = nullptr;      // start, duration, free-CA flag
  const EventRecord* short_info = nullptr;  // title and short text
  const EventRecord* extended = nullptr;
  const EventRecord* content = nullptr;
  const EventRecord* components = nullptr;
};

class EpgDatabase {
 public:
  // Both take a CRC-checked section of their table. A section already held
  // in the same version is skipped before it is parsed.
  void AddSdt(const uint8_t* section, size_t size);
  void AddEit(const uint8_t* section, size_t size);
  void Clear();

  // Every service of every SDT, in key order; the first section that names a
  // service wins (actual before other).
  std::vector<ServiceInfo> Services() const;

  // False when no EIT section of the service has been seen. Events without a
  // defined start are left out; the list is ordered by start, then event id.
  // With pf_only, only the present/following tables count.
  bool Events(uint64_t service_key, bool pf_only, std::vector<MergedEvent>& out) const;

 private:
  struct SdtSection {
    uint8_t version = 0;
    std::vector<ServiceRecord> services;
  };
  // The records and contents lie in the arena; the records point at
  // `contents`, which a newer version of the section reuses.
  struct EitSection {
    uint16_t key = 0;  // table_id << 8 | section_number
    uint8_t version = 0;
    std::span<const EventRecord> events;
    SectionContents* contents = nullptr;
  };
  // Per service, sorted by key, so walking it visits present/following
  // first, then schedule basic, then extended. A flat list, so the walk and
  // the clearing of a large load do not chase nodes all over the heap.
  using ServiceSections = std::vector<EitSection>;

  // (table_id, onid, tsid, section_number) -> section
  std::map<uint64_t, SdtSection> sdt_;
  std::unordered_map<uint64_t, ServiceSections> eit_;
  SectionArena arena_;
  // Working space of the EIT parser, kept between sections so its buffers
  // are allocated once.
  ExtendedTextBuilder extended_;
  EitEvents parsing_;
};

}  // namespace epgdec
