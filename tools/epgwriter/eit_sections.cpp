#include "tools/epgwriter/eit_sections.h"

#include <algorithm>
#include <array>

#include "tools/epgwriter/event_bytes.h"

namespace epgwriter {
namespace {

constexpr size_t kMaxEitBody = 4096 - 3 - 5 - 4;  // section minus headers and CRC
constexpr size_t kEitBodyHeader = 6;              // tsid, onid, segment last, last table
constexpr int kSegmentsPerTable = 32;
constexpr int kSectionsPerSegment = 8;
constexpr int kTables = 8;
constexpr int64_t kSegmentSeconds = 3 * 3600;

struct SectionPlan {
  uint8_t table_id = 0;
  uint8_t section_number = 0;
  uint8_t last_section_number = 0;
  uint8_t segment_last = 0;
  uint8_t last_table_id = 0;
};

Bytes EitSection(const ServiceContext& c, const SectionPlan& plan, const Bytes& events) {
  Bytes body;
  PutU16(body, c.transport->transport_stream_id);
  PutU16(body, c.transport->original_network_id);
  body.push_back(plan.segment_last);
  body.push_back(plan.last_table_id);
  body.insert(body.end(), events.begin(), events.end());
  LongHeader h{plan.table_id, c.service->service_id, c.version, plan.section_number,
               plan.last_section_number};
  return MakeLongSection(h, body);
}

// Entries of the events of one segment, cut into section bodies.
bool PackSegment(const std::vector<const EventDescription*>& events, EventParts parts,
                 std::vector<Bytes>& bodies, std::string& error) {
  bodies.assign(1, Bytes());
  for (const EventDescription* e : events) {
    if (parts == EventParts::kExtended && e->items.empty()) continue;
    Bytes entry;
    if (!AppendEventEntry(*e, parts, entry, error)) return false;
    if (entry.size() > kMaxEitBody - kEitBodyHeader) {
      error = "event " + std::to_string(e->event_id) + " does not fit a section";
      return false;
    }
    if (bodies.back().size() + entry.size() > kMaxEitBody - kEitBodyHeader) bodies.emplace_back();
    bodies.back().insert(bodies.back().end(), entry.begin(), entry.end());
  }
  if (bodies.size() > kSectionsPerSegment) {
    error = "too many events in one three-hour segment";
    return false;
  }
  return true;
}

using Segments = std::array<std::vector<const EventDescription*>, kTables * kSegmentsPerTable>;

// Which segment each event belongs to, counted from midnight of `now`'s day.
// Earlier or undefined starts go to the first segment; starts past the last
// table are not scheduled.
int SegmentOf(const EventDescription& e, int64_t origin) {
  if (!e.start || *e.start < origin) return 0;
  int64_t segment = (*e.start - origin) / kSegmentSeconds;
  return segment < kTables * kSegmentsPerTable ? static_cast<int>(segment) : -1;
}

bool BuildTables(const ServiceContext& c, const Segments& segments, int table_count,
                 uint8_t first_table, EventParts parts, std::vector<Bytes>& out,
                 std::string& error) {
  for (int t = 0; t < table_count; ++t) {
    std::array<std::vector<Bytes>, kSegmentsPerTable> bodies;
    for (int s = 0; s < kSegmentsPerTable; ++s) {
      if (!PackSegment(segments[t * kSegmentsPerTable + s], parts, bodies[s], error)) return false;
    }
    int last_segment = kSegmentsPerTable - 1;
    SectionPlan plan;
    plan.table_id = static_cast<uint8_t>(first_table + t);
    plan.last_table_id = static_cast<uint8_t>(first_table + table_count - 1);
    plan.last_section_number =
        static_cast<uint8_t>(last_segment * kSectionsPerSegment + bodies[last_segment].size() - 1);
    for (int s = 0; s < kSegmentsPerTable; ++s) {
      plan.segment_last = static_cast<uint8_t>(s * kSectionsPerSegment + bodies[s].size() - 1);
      for (size_t k = 0; k < bodies[s].size(); ++k) {
        plan.section_number = static_cast<uint8_t>(s * kSectionsPerSegment + k);
        out.push_back(EitSection(c, plan, bodies[s][k]));
      }
    }
  }
  return true;
}

}  // namespace

bool BuildPresentFollowing(const ServiceContext& c, std::vector<Bytes>& out, std::string& error) {
  std::vector<const EventDescription*> timed;
  for (const EventDescription& e : c.service->events) {
    if (e.start) timed.push_back(&e);
  }
  std::sort(timed.begin(), timed.end(),
            [](const auto* a, const auto* b) { return *a->start < *b->start; });
  const EventDescription* present = nullptr;
  const EventDescription* following = nullptr;
  for (const EventDescription* e : timed) {
    int64_t end = *e->start + e->duration_seconds.value_or(0);
    if (present == nullptr && *e->start <= c.now && c.now < end) {
      present = e;
    } else if (*e->start > c.now) {
      following = e;
      break;
    }
  }
  SectionPlan plan;
  plan.table_id = c.actual ? 0x4E : 0x4F;
  plan.last_section_number = 1;
  plan.segment_last = 1;
  plan.last_table_id = plan.table_id;
  const EventDescription* pair[2] = {present, following};
  for (int i = 0; i < 2; ++i) {
    Bytes events;
    if (pair[i] != nullptr && !AppendEventEntry(*pair[i], EventParts::kAll, events, error)) {
      return false;
    }
    if (events.size() > kMaxEitBody - kEitBodyHeader) {
      error = "event does not fit a section";
      return false;
    }
    plan.section_number = static_cast<uint8_t>(i);
    out.push_back(EitSection(c, plan, events));
  }
  return true;
}

bool BuildSchedule(const ServiceContext& c, std::vector<Bytes>& out, std::string& error) {
  int64_t origin = c.now - ((c.now % 86400) + 86400) % 86400;
  Segments segments;
  int last_segment = 0;
  for (const EventDescription& e : c.service->events) {
    int segment = SegmentOf(e, origin);
    if (segment < 0) continue;
    segments[segment].push_back(&e);
    last_segment = std::max(last_segment, segment);
  }
  for (auto& events : segments) {
    std::stable_sort(events.begin(), events.end(), [](const auto* a, const auto* b) {
      return a->start.value_or(0) < b->start.value_or(0);
    });
  }
  int table_count = last_segment / kSegmentsPerTable + 1;
  bool split = c.transport->extended_in_own_tables;
  uint8_t basic = c.actual ? 0x50 : 0x60;
  if (!BuildTables(c, segments, table_count, basic, split ? EventParts::kBasic : EventParts::kAll,
                   out, error)) {
    return false;
  }
  return !split || BuildTables(c, segments, table_count, static_cast<uint8_t>(basic + 8),
                               EventParts::kExtended, out, error);
}

}  // namespace epgwriter
