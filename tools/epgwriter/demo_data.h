#pragma once
// The demo EPG folder: terrestrial, BS and CS networks with about forty
// services and eight days of programmes from a given day. The content
// depends only on that day.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/epgwriter/epg_description.h"

namespace epgwriter {

struct DemoFile {
  std::string name;  // "<onid><tsid>_epg.dat", upper-case hex
  EpgFileDescription description;
};

// `now` (Japan wall-clock seconds) places present/following and the time
// tables; the programmes run from 00:00 of `day` (Japan seconds of that
// midnight) for eight days.
std::vector<DemoFile> MakeDemoFiles(int64_t day, int64_t now);

// Writes every demo file into `folder` (which must exist).
bool WriteDemoFolder(const std::string& folder, int64_t day, int64_t now, int repetitions,
                     std::string& error);

}  // namespace epgwriter
