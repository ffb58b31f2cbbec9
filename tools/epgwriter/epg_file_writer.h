#pragma once
// Writes EPG data files ("*_epg.dat"): SDT on PID 0x11, EIT on 0x12, TDT and
// TOT on 0x14, in carousel order.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/epgwriter/epg_description.h"

namespace epgwriter {

// The whole stream in memory. False with `error` when the description does
// not fit the tables (text too long, too many events in a segment).
bool BuildEpgStream(const EpgFileDescription& description, const WriteOptions& options,
                    std::vector<uint8_t>& out, std::string& error);

// The same written to a file, through a temporary name and a rename, so a
// folder watcher never reads a half-written file.
bool WriteEpgFile(const EpgFileDescription& description, const WriteOptions& options,
                  const std::string& path, std::string& error);

}  // namespace epgwriter
