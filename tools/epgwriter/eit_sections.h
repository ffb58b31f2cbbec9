#pragma once
// EIT sections of one service: present/following and the schedule laid out
// the broadcast way (eight tables of four days, 32 segments of three hours,
// up to eight sections per segment, every segment present).

#include <string>
#include <vector>

#include "tools/epgwriter/epg_description.h"
#include "tools/epgwriter/section_bytes.h"

namespace epgwriter {

struct ServiceContext {
  const TransportDescription* transport = nullptr;
  const ServiceDescription* service = nullptr;
  bool actual = true;
  int64_t now = 0;
  uint8_t version = 0;
};

// Sections 0 (present) and 1 (following) of table 0x4E (actual) or 0x4F.
bool BuildPresentFollowing(const ServiceContext& context, std::vector<Bytes>& out,
                           std::string& error);

// The schedule tables from the day of `now`; with extended_in_own_tables
// the extended descriptors go to the extended tables.
bool BuildSchedule(const ServiceContext& context, std::vector<Bytes>& out, std::string& error);

}  // namespace epgwriter
