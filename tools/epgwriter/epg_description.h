#pragma once
// A plain description of what an EPG data file holds: transport streams with
// their services and events. Times are Japan wall-clock seconds since
// 1970-01-01 00:00 (the broadcast's own clock, no zone arithmetic).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace epgwriter {

// Japan wall-clock seconds of a civil date and time.
int64_t JapanSeconds(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

struct ExtendedItem {
  std::u16string description;  // non-empty: an empty one continues the previous item
  std::u16string text;
};

struct Component {
  uint8_t stream_content = 0;
  uint8_t component_type = 0;
  std::u16string text;
};

struct EventDescription {
  uint16_t event_id = 0;
  std::optional<int64_t> start;              // nullopt: undefined start
  std::optional<uint32_t> duration_seconds;  // nullopt: undefined duration
  bool free_ca = false;
  std::u16string title;
  std::u16string short_text;
  std::vector<ExtendedItem> items;
  std::vector<uint32_t> genres;  // (level1 << 24) | (level2 << 16) | (user1 << 8) | user2
  std::optional<Component> video;
  std::optional<Component> audio;
};

struct ServiceDescription {
  uint16_t service_id = 0;
  uint8_t service_type = 1;
  std::u16string name;
  std::vector<EventDescription> events;
};

struct TransportDescription {
  uint16_t original_network_id = 0;
  uint16_t transport_stream_id = 0;
  // Satellite networks carry extended event descriptors in their own
  // schedule tables (0x58-0x5F); terrestrial ones beside the basic ones.
  bool extended_in_own_tables = false;
  std::vector<ServiceDescription> services;
};

struct EpgFileDescription {
  // The first transport is the one the file was received from ("actual");
  // the others are written as "other" tables.
  std::vector<TransportDescription> transports;
  int64_t now = 0;      // for present/following and the time tables
  uint8_t version = 0;  // version_number of every section (0-31)
};

struct WriteOptions {
  int repetitions = 1;        // carousel rounds of the whole schedule
  bool pack_sections = true;  // sections back to back; false: each starts a packet
  bool present_following = true;
  bool schedule = true;
  bool time_tables = true;
};

}  // namespace epgwriter
