#pragma once
// The order in which the channels of a band mask are shown: the user's
// order list of the band first (VIEW/CHANNEL_LIST_TR, _BS, _CS), then every
// other channel in service-key order; hidden channels (VIEW/IGNORE_CHANNEL)
// never show. Everything here reads the settings document Settings() and
// the global ServiceMap; callers hold EpgBusyFlag or the EPG data lock.

#include <cstdint>
#include <string_view>
#include <vector>

namespace plimod {

// False when VIEW/IGNORE_CHANNEL contains the key's channel key text.
bool IsChannelShown(std::uint64_t serviceKey);

// The first ServiceMap key (key order) whose band is in `mask` and whose
// service id is `serviceId`; 0 when none or when the id is negative.
// Hidden channels count.
std::uint64_t FindServiceInBand(std::uint32_t mask, long long serviceId);

// Every shown channel of the mask in display order. Listed entries that
// appear twice show twice.
std::vector<std::uint64_t> ChannelsInDisplayOrder(std::uint32_t mask);

// The n-th (from 0) shown channel of the mask in display order; 0 past the
// end. Callers that walk a whole band are better served by
// ChannelsInDisplayOrder.
std::uint64_t NthChannel(std::uint32_t mask, int n);
int CountChannels(std::uint32_t mask);
// Position of the key in the display order of its own band; 0 when absent.
int ChannelIndexOf(std::uint64_t serviceKey);

// The shown service named by a channel key text ("T0400H"): band letter,
// then the service id in hex. 0 when the letter is none of "TBCZ" or no
// shown service of that band has the id.
std::uint64_t ParseChannelKey(std::wstring_view keyText);

}  // namespace plimod
