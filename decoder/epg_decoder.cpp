#include "decoder/epg_decoder.h"

#include <array>

#include "decoder/si_time.h"

namespace epgdec {
namespace {

constexpr uint16_t kSdtPid = 0x11;
constexpr uint16_t kEitPid = 0x12;
constexpr uint16_t kTimePid = 0x14;
constexpr uint16_t kExtraEitPids[2] = {0x26, 0x27};

constexpr uint8_t kTdt = 0x70;
constexpr uint8_t kTot = 0x73;

bool IsSdt(uint8_t table_id) { return table_id == 0x42 || table_id == 0x46; }
bool IsEit(uint8_t table_id) { return table_id >= 0x4E && table_id <= 0x6F; }

// Texts are gathered in one buffer first and pointed at afterwards, because
// the buffer moves while it grows.
size_t AppendText(std::u16string& arena, std::u16string_view text) {
  size_t offset = arena.size();
  arena += text;
  arena.push_back(u'\0');
  return offset;
}

std::u16string_view TextOr(const EventRecord* record, TextRange EventRecord::*field) {
  return record != nullptr ? record->Text(record->*field) : std::u16string_view();
}

// What the event's texts take in the list's buffer, terminators included.
size_t TextUnits(const MergedEvent& m) {
  size_t units = 5;
  if (m.short_info != nullptr) units += m.short_info->title.length + m.short_info->short_text.length;
  if (m.extended != nullptr) units += m.extended->extended_text.length;
  if (m.components != nullptr) {
    units += m.components->video_text.length + m.components->audio_text.length;
  }
  return units;
}

struct EventTextOffsets {
  std::array<size_t, 5> text{};
  size_t genre_offset = 0;
};

}  // namespace

EpgDecoder::EpgDecoder() = default;

SectionAssembler* EpgDecoder::AssemblerFor(uint16_t pid) {
  switch (pid) {
    case kSdtPid: return &sdt_pid_;
    case kEitPid: return &eit_pid_;
    case kTimePid: return &time_pid_;
    case kExtraEitPids[0]: return &extra_eit_pids_[0];
    case kExtraEitPids[1]: return &extra_eit_pids_[1];
    default: return nullptr;
  }
}

bool EpgDecoder::AddPacket(const uint8_t* packet, size_t size) {
  if (packet == nullptr || size != kTsPacketSize) return false;
  uint16_t pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
  if (SectionAssembler* assembler = AssemblerFor(pid)) assembler->PushPacket(packet, *this);
  return true;
}

void EpgDecoder::OnSection(const uint8_t* section, size_t size) {
  uint8_t table_id = section[0];
  if (IsEit(table_id)) {
    database_.AddEit(section, size);
  } else if (IsSdt(table_id)) {
    database_.AddSdt(section, size);
  } else if ((table_id == kTdt || table_id == kTot) && size >= 8) {
    int64_t now = 0;
    if (JapanTimeToUnix(section + 3, now)) stream_time_ = now;
  }
}

void EpgDecoder::Clear() {
  sdt_pid_.Reset();
  eit_pid_.Reset();
  time_pid_.Reset();
  for (SectionAssembler& a : extra_eit_pids_) a.Reset();
  database_.Clear();
  stream_time_ = 0;
  services_ = {};
  service_texts_ = {};
  events_ = {};
  event_texts_ = {};
  event_genres_ = {};
}

const std::vector<DecoderServiceEntry>& EpgDecoder::ServiceList() {
  std::vector<ServiceInfo> services = database_.Services();
  services_.clear();
  service_texts_.clear();
  std::vector<size_t> name_offsets;
  for (const ServiceInfo& s : services) {
    name_offsets.push_back(AppendText(service_texts_, s.record->name));
    DecoderServiceEntry entry{};
    entry.original_network_id = static_cast<uint16_t>(s.key >> 32);
    entry.transport_stream_id = static_cast<uint16_t>(s.key >> 16);
    entry.service_id = static_cast<uint16_t>(s.key);
    entry.service_type = s.record->service_type;
    services_.push_back(entry);
  }
  for (size_t i = 0; i < services_.size(); ++i) {
    services_[i].service_name = service_texts_.data() + name_offsets[i];
  }
  return services_;
}

const std::vector<DecoderEventEntry>* EpgDecoder::EventList(uint16_t onid, uint16_t tsid,
                                                            uint16_t sid) {
  std::vector<MergedEvent> merged;
  events_.clear();
  event_texts_.clear();
  event_genres_.clear();
  if (!database_.Events(MakeServiceKey(onid, tsid, sid), pf_only_, merged)) return nullptr;

  size_t text_units = 0;
  for (const MergedEvent& m : merged) text_units += TextUnits(m);
  event_texts_.reserve(text_units);
  events_.reserve(merged.size());
  std::vector<EventTextOffsets> offsets(merged.size());
  for (size_t i = 0; i < merged.size(); ++i) {
    const MergedEvent& m = merged[i];
    EventTextOffsets& o = offsets[i];
    o.text[0] = AppendText(event_texts_, TextOr(m.short_info, &EventRecord::title));
    o.text[1] = AppendText(event_texts_, TextOr(m.short_info, &EventRecord::short_text));
    o.text[2] = AppendText(event_texts_, TextOr(m.extended, &EventRecord::extended_text));
    o.text[3] = AppendText(event_texts_, TextOr(m.components, &EventRecord::video_text));
    o.text[4] = AppendText(event_texts_, TextOr(m.components, &EventRecord::audio_text));
    o.genre_offset = event_genres_.size();
    if (m.content != nullptr) {
      const std::span<const uint32_t> genres = m.content->Genres();
      event_genres_.insert(event_genres_.end(), genres.begin(), genres.end());
    }

    DecoderEventEntry e{};
    e.original_network_id = onid;
    e.transport_stream_id = tsid;
    e.service_id = sid;
    e.event_id = m.event_id;
    e.title_length = static_cast<uint32_t>(o.text[1] - o.text[0] - 1);
    e.short_text_length = static_cast<uint32_t>(o.text[2] - o.text[1] - 1);
    e.extended_text_length = static_cast<uint32_t>(o.text[3] - o.text[2] - 1);
    e.start_time = m.timing->start;
    e.duration_seconds = m.timing->duration_seconds;
    e.free_ca_flag = m.timing->free_ca;
    if (m.components != nullptr) {
      for (int k = 0; k < 4; ++k) e.component_types[k] = m.components->component_types[k];
    }
    e.genre_count = static_cast<uint32_t>(event_genres_.size() - o.genre_offset);
    events_.push_back(e);
  }
  for (size_t i = 0; i < events_.size(); ++i) {
    DecoderEventEntry& e = events_[i];
    const EventTextOffsets& o = offsets[i];
    const char16_t* base = event_texts_.data();
    e.title = base + o.text[0];
    e.short_text = base + o.text[1];
    e.extended_text = base + o.text[2];
    e.video_text = base + o.text[3];
    e.audio_text = base + o.text[4];
    e.genres = e.genre_count > 0 ? event_genres_.data() + o.genre_offset : nullptr;
  }
  return &events_;
}

}  // namespace epgdec
