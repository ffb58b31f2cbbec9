#pragma once
// The hits of one search condition under its editor: the count, then a row
// per programme (date, station, title with its small links, short text).

#include <cstddef>

#include "epg/epg_event.h"
#include "epg/search_runner.h"
#include "guide/program_links.h"
#include "pages/forms/condition_fields.h"
#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// Rows stop once more than this many are written.
inline constexpr int kPreviewRowLimit = 500;

// Matches with the condition's own document (its normalise list) and the
// settings' channel order and links, from now on with no day limit.
// Reads the EPG store: the caller holds EpgBusyFlag.
void WriteSearchHitPreview(ReplyWriter& out, const ConditionPlace& place, const IniFile& settings);

// The hit's event in the store; null when it has left it.
const EpgEvent* FindHitEvent(SearchHit hit);
// The start "yyyy/mm/dd(曜)<BR>hh:mm:ss" and the end time, closing the
// link and the cell the caller opened.
void WriteHitTimes(ReplyWriter& out, const EpgEvent& event);
// "ヒット数" and the table head of a hit list.
void WriteSearchHitHead(ReplyWriter& out, std::size_t hitCount);
// One row: date and time linking to the detail page, station (only when
// known), title with its small links, short text. `colour` (or null) is the
// background of the date cell.
void WriteSearchHitRow(ReplyWriter& out, SearchHit hit, const EpgEvent& event, const LinkSettings& links,
                       const char* colour);

}  // namespace plimod
