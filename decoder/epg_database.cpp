#include "decoder/epg_database.h"

#include <algorithm>
#include <tuple>

#include "decoder/eit_parser.h"
#include "decoder/sdt_parser.h"

namespace epgdec {
namespace {

constexpr uint8_t kSdtActual = 0x42;
constexpr uint8_t kEitPresentFollowingOther = 0x4F;

bool IsPresentFollowing(uint16_t section_key) {
  return (section_key >> 8) <= kEitPresentFollowingOther;
}

bool StartsBefore(const DecoderSystemTime& a, const DecoderSystemTime& b) {
  auto tuple = [](const DecoderSystemTime& t) {
    return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
  };
  return tuple(a) < tuple(b);
}

void Merge(const EventRecord& record, MergedEvent& merged) {
  if (merged.timing == nullptr && record.start_defined) merged.timing = &record;
  if (merged.short_info == nullptr && record.has_short) merged.short_info = &record;
  if (merged.extended == nullptr && record.has_extended) merged.extended = &record;
  if (merged.content == nullptr && record.has_content) merged.content = &record;
  if (merged.components == nullptr && record.has_components) merged.components = &record;
}

}  // namespace

uint64_t MakeServiceKey(uint16_t onid, uint16_t tsid, uint16_t sid) {
  return (uint64_t{onid} << 32) | (uint64_t{tsid} << 16) | sid;
}

void EpgDatabase::AddSdt(const uint8_t* section, size_t size) {
  SectionHeader h = ReadSectionHeader(section);
  if (!h.current || size < 11) return;
  uint16_t onid = ReadU16(section + 8);
  uint64_t key = (uint64_t{h.table_id == kSdtActual ? 0u : 1u} << 48) |
                 (uint64_t{onid} << 32) | (uint64_t{h.extension} << 16) | h.section_number;
  auto found = sdt_.find(key);
  if (found != sdt_.end() && found->second.version == h.version) return;
  SdtSection& stored = sdt_[key];
  stored.version = h.version;
  stored.services = ParseSdtServices(section, size);
}

void EpgDatabase::AddEit(const uint8_t* section, size_t size) {
  SectionHeader h = ReadSectionHeader(section);
  if (!h.current || size < kEitFixedHeader) return;
  uint16_t tsid = ReadU16(section + 8);
  uint16_t onid = ReadU16(section + 10);
  ServiceSections& sections = eit_[MakeServiceKey(onid, tsid, h.extension)];
  const uint16_t section_key = static_cast<uint16_t>((h.table_id << 8) | h.section_number);
  auto stored = std::lower_bound(
      sections.begin(), sections.end(), section_key,
      [](const EitSection& held, uint16_t key) { return held.key < key; });
  if (stored != sections.end() && stored->key == section_key) {
    if (stored->version == h.version) return;
  } else {
    stored = sections.insert(stored, {section_key, 0, {}, arena_.CopyOne(SectionContents{})});
  }
  stored->version = h.version;
  ParseEitEvents(section, size, extended_, parsing_);
  for (EventRecord& record : parsing_.events) record.section = stored->contents;
  stored->events = arena_.Copy(std::span<const EventRecord>(parsing_.events));
  stored->contents->texts = arena_.Copy(std::u16string_view(parsing_.texts));
  stored->contents->genres = arena_.Copy(std::span<const uint32_t>(parsing_.genres));
}

void EpgDatabase::Clear() {
  sdt_.clear();
  eit_.clear();
  arena_.Clear();
  parsing_ = {};
}

std::vector<ServiceInfo> EpgDatabase::Services() const {
  std::map<uint64_t, const ServiceRecord*> by_key;
  for (const auto& [section_key, section] : sdt_) {
    uint16_t onid = static_cast<uint16_t>(section_key >> 32);
    uint16_t tsid = static_cast<uint16_t>(section_key >> 16);
    for (const ServiceRecord& service : section.services) {
      by_key.emplace(MakeServiceKey(onid, tsid, service.service_id), &service);
    }
  }
  std::vector<ServiceInfo> out;
  out.reserve(by_key.size());
  for (const auto& [key, record] : by_key) out.push_back(ServiceInfo{key, record});
  return out;
}

bool EpgDatabase::Events(uint64_t service_key, bool pf_only,
                         std::vector<MergedEvent>& out) const {
  out.clear();
  auto found = eit_.find(service_key);
  if (found == eit_.end()) return false;
  // Every record of the service by event id, the tables' order kept among
  // equal ids, so the first table that carries a part wins.
  struct Found {
    uint16_t event_id;
    const EventRecord* record;
  };
  const ServiceSections& sections = found->second;
  auto end = sections.end();
  if (pf_only) {
    end = std::find_if(sections.begin(), sections.end(),
                       [](const EitSection& s) { return !IsPresentFollowing(s.key); });
  }
  size_t count = 0;
  for (auto s = sections.begin(); s != end; ++s) count += s->events.size();
  std::vector<Found> found_records;
  found_records.reserve(count);
  for (auto s = sections.begin(); s != end; ++s) {
    for (const EventRecord& record : s->events) found_records.push_back({record.event_id, &record});
  }
  std::stable_sort(found_records.begin(), found_records.end(),
                   [](const Found& a, const Found& b) { return a.event_id < b.event_id; });
  for (size_t i = 0; i < found_records.size();) {
    MergedEvent merged;
    merged.event_id = found_records[i].event_id;
    for (; i < found_records.size() && found_records[i].event_id == merged.event_id; ++i) {
      Merge(*found_records[i].record, merged);
    }
    if (merged.timing != nullptr) out.push_back(merged);
  }
  std::stable_sort(out.begin(), out.end(), [](const MergedEvent& a, const MergedEvent& b) {
    return StartsBefore(a.timing->start, b.timing->start);
  });
  return true;
}

}  // namespace epgdec
