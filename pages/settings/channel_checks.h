#pragma once
// The check-box list of every channel by band, hidden ones included.

#include <cstdint>
#include <string_view>

#include "server/reply_writer.h"
#include "util/keys.h"

namespace plimod {

// Band titles by band index (terrestrial, BS, CS, other).
inline constexpr const char* kBandTitles[] = {"地上波", "BS", "CS", "不明"};
// Band masks in the same order.
inline constexpr std::uint32_t kBandMasks[] = {kBandTerrestrial, kBandBs, kBandCs, kBandOther};

// For each band, its title and a box "<prefix>_<channel key>" for every
// service of the service map in key order, ticked when the key text occurs
// in `ticked`. Returns the result of the last write.
long PrintBandChannelChecks(ReplyWriter& out, const char* prefix, std::wstring_view ticked);

}  // namespace plimod
