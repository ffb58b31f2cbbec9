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

// The largest `scale` the demo's ids leave room for.
inline constexpr int kMaxDemoScale = 15;

// The files `scale` times over (1 <= scale <= kMaxDemoScale): copy c moves
// every network id up by c * 0x100, every stream id by c * 0x80 (down by
// c * 0x10 for terrestrial streams, which must stay in their band's range)
// and every service id by c * 0x1000, so service and channel keys stay
// distinct. The copies carry the same programmes.
std::vector<DemoFile> ScaleDemoFiles(const std::vector<DemoFile>& files, int scale);

// Writes every demo file (`scale` times over, see ScaleDemoFiles) into
// `folder` (which must exist).
bool WriteDemoFolder(const std::string& folder, int64_t day, int64_t now, int repetitions,
                     std::string& error, int scale = 1);

}  // namespace epgwriter
