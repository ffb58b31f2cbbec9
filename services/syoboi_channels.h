#pragma once
// Matching the calendar service's channels to the services of the EPG data.
// Two things are kept for the whole run: the channel-name map (built at the
// first use from "syobocal_ch.txt" beside the program and, when the recorder
// link is on, the recorder's "iChset.txt"), and a cache from the service's
// channel id to a service key (0: no service), so each channel is matched
// once per run. Callers read ServiceMap safely (EpgBusyFlag or the lock).

#include <cstdint>
#include <map>
#include <string>

#include "settings/ini_file.h"

namespace plimod {

using SyoboiChannelNames = std::map<std::wstring, std::wstring>;

// "syobocal_ch.txt": UTF-16LE (byte-order mark optional), lines of calendar
// name TAB local service name. Later lines win; lines without TAB are ignored.
void ReadSyoboiChannelFile(const std::wstring& path, SyoboiChannelNames& names);
// "iChset.txt": code page 932, lines of channel name TAB service key in hex;
// only keys in ServiceMap count, with their ServiceMap name.
void ReadRecorderChannelFile(const std::wstring& path, SyoboiChannelNames& names);

// Replaces `name` by its local name when the map has a non-empty one.
void MapSyoboiChannel(const IniFile& settings, std::wstring& name);

struct SyoboiChannelMatch {
  std::uint64_t serviceKey = 0;  // 0: unknown here
  bool firstMiss = false;        // unknown, and met for the first time this run
};

// The service of a calendar channel: through the cache by `channelId`, else
// by name (mapped, then compared with every ServiceMap name in band order,
// both folded by ToHalfWidthForMatch). A known channel's `name` becomes the
// service's name.
SyoboiChannelMatch MatchSyoboiChannel(const IniFile& settings, int channelId, std::wstring& name);

// Forgets the channel-name map and the cache.
void ResetSyoboiChannelsForTesting();

}  // namespace plimod
