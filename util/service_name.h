#pragma once
// Shortening of broadcast service names for display. The rules are defined
// on the CP932 bytes of the name.

#include <string>
#include <string_view>

namespace plimod {

// True when the text begins with a full-width digit pair 0x82 0x4F..0x59.
bool IsFullWidthDigit(std::string_view sjis);

// Terrestrial: cut at the first "・". Other bands: cut at the first "・"
// only when what follows is full-width digits ending in exactly "１".
// Terrestrial names then lose a final "１" (when longer than 4 bytes and the
// character before it is not a full-width digit 0x8250-0x825A) and then a
// final ASCII "1".
void TrimServiceNameSjis(std::string& sjis, bool terrestrial);
// The same on wide text (through CP932).
void TrimServiceName(std::wstring& name, bool terrestrial);

}  // namespace plimod
