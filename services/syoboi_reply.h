#pragma once
// Reading the calendar service's programme list. The reply holds one
// `<ProgItem PID="..." ... />` element per line, attribute values in double
// quotes (UTF-8, XML entities left as they are).

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_time.h"

namespace plimod {

using XmlAttributes = std::map<std::string, std::string, std::less<>>;

// Fills `out` with the name="value" attributes of the element that starts
// at text[pos] and gives the position after the element's line. The walk
// never leaves that line: an attribute without '=', without its opening or
// its closing quote is skipped (an unterminated value ends the walk).
std::size_t ParseXmlAttributes(std::string_view text, std::size_t pos, XmlAttributes& out);

// "YYYYMMDDhhmm[ss]" as local fields (day of week and milliseconds 0);
// nothing for a text shorter than twelve characters.
std::optional<SystemTime> ParseSyoboiTime(std::string_view text);

// The attributes of every "<ProgItem PID=" element that a "/>" follows, in
// reply order. A reply cut in the middle of an element loses that element.
std::vector<XmlAttributes> ReadProgItems(std::string_view reply);

}  // namespace plimod
