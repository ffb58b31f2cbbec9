#pragma once
// SDT sections and the time tables.

#include <string>
#include <vector>

#include "tools/epgwriter/epg_description.h"
#include "tools/epgwriter/section_bytes.h"

namespace epgwriter {

// SDT actual (0x42) or other (0x46) of one transport stream, split into
// sections of at most 1024 bytes.
bool BuildSdt(const TransportDescription& transport, bool actual, uint8_t version,
              std::vector<Bytes>& out, std::string& error);

Bytes BuildTdt(int64_t japan_now);
Bytes BuildTot(int64_t japan_now);

}  // namespace epgwriter
