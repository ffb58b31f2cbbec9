#pragma once
// The page of the reservation patterns (cmd=edcpattern): the list of the
// first ten with their summaries and on/off links, and the form of one.

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Sections "EDCBPATTERN_01".."EDCBPATTERN_999"; the list and the programme
// table offer the first ten.
inline constexpr int kPatternMax = 999;
inline constexpr int kPatternsListed = 10;

// The section name of pattern `number`.
std::wstring PatternSectionName(int number);

// 0 after a save that redirects; 1 otherwise.
int ServeEdcbPatternPage(ReplyWriter& out, RequestParameters& params, IniFile& settings);

}  // namespace plimod
