#pragma once
// The view parameters that links and forms carry from page to page, always
// in the order mode, day, hour, range, band, detail, mark, chid, page, limit.
// `leave_out` names parameters to skip: a name is skipped when it occurs
// anywhere in that text.

#include <string>
#include <string_view>

#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

inline constexpr const char* kCarryOverNames[] = {"mode", "day",  "hour", "range", "band",
                                                  "detail", "mark", "chid", "page", "limit"};
// The longest carry-over query; a parameter that would pass it is dropped.
inline constexpr std::size_t kCarryOverQueryMax = 255;

// Percent-encodes every byte outside A-Z a-z 0-9 - . _ * so a value can
// neither end an attribute nor add a header line.
std::string PercentEncodeValue(std::string_view value);

// Appends "&" (when `out` is not empty), the name, "=" and the encoded
// value, unless the name is left out or the value is empty.
void AppendCarryOverParam(const RequestParameters& params, std::string& out, const std::string& name,
                          std::string_view leave_out = {});

// Every view parameter as a query text (without "?"), at most 255 bytes.
std::string MakeCarryOverQuery(const RequestParameters& params, std::string_view leave_out = {});

// A hidden field of one view parameter with its encoded value.
void WriteCarryOverHidden(const RequestParameters& params, ReplyWriter& out, const std::string& name,
                          std::string_view leave_out = {});
void WriteCarryOverHiddenFields(const RequestParameters& params, ReplyWriter& out,
                                std::string_view leave_out = {});

}  // namespace plimod
