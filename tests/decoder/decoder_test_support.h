#pragma once
// Shared helpers of the decoder tests: the real EpgDataCap2.so loaded the
// way the program loads it, fed the way the program feeds it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "decoder/epg_decoder_api.h"
#include "tools/epgdump/decoder_library.h"

namespace decoder_test {

// The real EpgDataCap2.so with all eight entry points, or not loaded.
class Module : public DecoderLibrary {
 public:
  Module() { loaded_ = Load(std::string(PLIMOD_BINARY_DIR) + "/bin/EpgDataCap2.so", error_); }

  bool loaded() const { return loaded_; }

 private:
  std::string error_;
  bool loaded_ = false;
};

// Whole 188-byte packets of the five PIDs the program passes on.
inline void Feed(const Module& m, int32_t id, const std::vector<uint8_t>& bytes) {
  for (size_t pos = 0; pos + 188 <= bytes.size(); pos += 188) {
    const uint8_t* p = bytes.data() + pos;
    unsigned pid = ((p[1] & 0x1Fu) << 8) | p[2];
    if (pid == 0x00 || pid == 0x10 || pid == 0x11 || pid == 0x12 || pid == 0x14) {
      m.add_packet(id, p, 188);
    }
  }
}

struct Service {
  uint16_t onid, tsid, sid;
  uint32_t type;
  std::u16string name;
  auto Tie() const { return std::tie(onid, tsid, sid, type, name); }
  bool operator==(const Service& o) const { return Tie() == o.Tie(); }
  bool operator<(const Service& o) const { return Tie() < o.Tie(); }
};

struct Event {
  uint16_t event_id = 0;
  DecoderSystemTime start{};
  uint32_t duration = 0;
  uint8_t free_ca = 0;
  std::u16string title, short_text, extended_text, video_text, audio_text;
  std::vector<uint32_t> genres;
};

inline std::u16string Text(const char16_t* p) { return p != nullptr ? std::u16string(p) : u""; }

inline std::vector<Service> Services(const Module& m, int32_t id) {
  const DecoderServiceEntry* list = nullptr;
  uint32_t count = 0;
  std::vector<Service> out;
  if (m.get_services(id, &list, &count) == 0) return out;
  for (uint32_t i = 0; i < count; ++i) {
    const DecoderServiceEntry& s = list[i];
    out.push_back({static_cast<uint16_t>(s.original_network_id),
                   static_cast<uint16_t>(s.transport_stream_id), static_cast<uint16_t>(s.service_id),
                   s.service_type, Text(s.service_name)});
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Events of one service by event id; false when the library refuses the call.
inline bool Events(const Module& m, int32_t id, uint16_t onid, uint16_t tsid, uint16_t sid,
                   std::vector<Event>& out) {
  const DecoderEventEntry* list = nullptr;
  uint32_t count = 0;
  out.clear();
  if (m.get_events(id, onid, tsid, sid, &list, &count) != 1) return false;
  for (uint32_t i = 0; i < count; ++i) {
    const DecoderEventEntry& e = list[i];
    Event ev;
    ev.event_id = static_cast<uint16_t>(e.event_id);
    ev.start = e.start_time;
    ev.duration = e.duration_seconds;
    ev.free_ca = e.free_ca_flag;
    ev.title = Text(e.title);
    ev.short_text = Text(e.short_text);
    ev.extended_text = Text(e.extended_text);
    ev.video_text = Text(e.video_text);
    ev.audio_text = Text(e.audio_text);
    ev.genres.assign(e.genres, e.genres + e.genre_count);
    out.push_back(std::move(ev));
  }
  std::sort(out.begin(), out.end(),
            [](const Event& a, const Event& b) { return a.event_id < b.event_id; });
  return true;
}

}  // namespace decoder_test
