#pragma once
// The interface between the program and the EPG decoder module EpgDataCap2.so.
// Both sides include this one header, so the list entries and the entry points
// cannot drift apart. The entries keep their historical field order with native
// types (pointers are 8 bytes here, so offsets differ from the 32-bit layout).

#include <cstdint>

extern "C" {

// Start time of an event: local wall-clock fields, in the classic SYSTEMTIME order.
struct DecoderSystemTime {
  uint16_t year;
  uint16_t month;
  uint16_t day_of_week;  // 0 = Sunday
  uint16_t day;
  uint16_t hour;
  uint16_t minute;
  uint16_t second;
  uint16_t milliseconds;
};

// One service found in an SDT.
struct DecoderServiceEntry {
  uint32_t transport_stream_id;  // low 16 bits used
  uint32_t original_network_id;  // low 16 bits used
  uint32_t service_id;           // low 16 bits used
  const char16_t* service_name;  // UTF-16, NUL-terminated; null means empty
  const char16_t* provider_name;  // not filled (always null)
  uint32_t service_type;         // 0x01 digital TV, 0x02 radio, 0xA5 promotion video, ...
};

// One event (programme) of a service, from EIT present/following or schedule.
struct DecoderEventEntry {
  uint32_t original_network_id;  // note: onid before tsid here, unlike the service entry
  uint32_t transport_stream_id;
  uint32_t service_id;
  uint32_t event_id;
  const char16_t* title;          // short event descriptor: event name
  uint32_t title_length;          // in UTF-16 units, without the NUL
  const char16_t* short_text;     // short event descriptor: text
  uint32_t short_text_length;
  const char16_t* extended_text;  // "item description\r\nitem text\r\n" per item
  uint32_t extended_text_length;
  DecoderSystemTime start_time;   // host local time (broadcast Japan time converted)
  uint32_t duration_seconds;      // 0 when the stream leaves it undefined
  uint8_t free_ca_flag;           // EIT free_CA_mode: 1 = scrambled, 0 = free
  uint8_t reserved1[7];
  const char16_t* video_text;     // component descriptor text (e.g. "HD 16:9"); never null
  // [0] video stream_content, [1] video component_type,
  // [2] audio stream_content, [3] audio component_type (0 when absent)
  uint8_t component_types[4];
  uint32_t reserved2;
  const char16_t* audio_text;     // audio component descriptor text; never null
  uint32_t genre_count;
  // each (level1 << 24) | (level2 << 16) | (user1 << 8) | user2
  const uint32_t* genres;
};

// Every call but InitializeEP takes the instance id first. Lists and texts
// belong to the instance: a service list stays valid until the next
// GetServiceListDBEP, ClearEP or UnInitializeEP on that instance, an event
// list until the next GetEpgDataListDBEP, ClearEP or UnInitializeEP, so a
// caller may walk the services while it asks for each one's events.
using InitializeEPFunc = int32_t (*)(int32_t reserved);  // new instance id, -1 on failure
using UnInitializeEPFunc = int32_t (*)(int32_t id);
using AddTSPacketEPFunc = int32_t (*)(int32_t id, const uint8_t* packet, uint32_t size);
using ClearEPFunc = int32_t (*)(int32_t id);
using SetPFOnlyEPFunc = int32_t (*)(int32_t id, int32_t pf_only);
using SetBasicModeEPFunc = int32_t (*)(int32_t id, int32_t basic);
// nonzero on success
using GetServiceListDBEPFunc = int32_t (*)(int32_t id, const DecoderServiceEntry** list,
                                          uint32_t* count);
// exactly 1 on success
using GetEpgDataListDBEPFunc = int32_t (*)(int32_t id, uint32_t original_network_id,
                                          uint32_t transport_stream_id, uint32_t service_id,
                                          const DecoderEventEntry** list, uint32_t* count);

int32_t InitializeEP(int32_t reserved);
int32_t UnInitializeEP(int32_t id);
int32_t AddTSPacketEP(int32_t id, const uint8_t* packet, uint32_t size);
int32_t ClearEP(int32_t id);
int32_t SetPFOnlyEP(int32_t id, int32_t pf_only);
int32_t SetBasicModeEP(int32_t id, int32_t basic);
int32_t GetServiceListDBEP(int32_t id, const DecoderServiceEntry** list, uint32_t* count);
int32_t GetEpgDataListDBEP(int32_t id, uint32_t original_network_id,
                           uint32_t transport_stream_id, uint32_t service_id,
                           const DecoderEventEntry** list, uint32_t* count);

}  // extern "C"
