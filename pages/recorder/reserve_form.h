#pragma once
// The reservation form of one programme (cmd=edc): finding the programme of
// the request, the section whose options apply, the title a reservation
// gets by default, and the form with the values of all three; and the
// parts of the page around the form that the edit page (cmd=edc_edit)
// writes too.

#include <cstdint>
#include <optional>
#include <string>

#include "epg/epg_event.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// The programme of `sid` (service key, hex) and `eid` (event id, hex, low
// 16 bits), copied, with its station's name.
struct ReserveTarget {
  std::uint64_t serviceKey = 0;
  EpgEvent event;
  std::wstring station;

  std::uint64_t ProgramKey() const;
};
// Nothing when the service, the event or the station name is unknown.
std::optional<ReserveTarget> FindReserveTarget(const RequestParameters& params);

// Binds to the pattern `pt` names when that section exists, else to
// [EPGDATACAP]; creates neither.
void BindReserveSection(IniSection& section, const RequestParameters& params);

// TITLETYPE (ADDEXPLAN when missing) of the section: 1 title and
// description, 2 the section's template (its running number fixed at 1,
// untouched), else the programme's title.
std::wstring DefaultReserveTitle(const IniSection& section, const EpgEvent& event);

// Sets the form values of the programme: title, station, start, duration
// and the recording options of the section.
void PrefillReserveForm(RequestParameters& params, const IniSection& section, const ReserveTarget& target);

// The form; prefilled from the programme first when `edc_title` is empty
// (nothing at all is written when the programme is unknown then).
void WriteReserveEditForm(ReplyWriter& out, RequestParameters& params, const IniSection& section);
// The same with [EPGDATACAP] (created when missing).
void WriteDefaultReserveEditForm(ReplyWriter& out, RequestParameters& params, IniFile& settings);
// "新規予約" and the form posting to this page, for the programme detail page.
void WriteNewReserveForm(ReplyWriter& out, RequestParameters& params, IniFile& settings);

// The head of the reservation pages, up to "<BODY>".
void WriteReservePageHead(ReplyWriter& out);
// A one-line answer as plain text.
void WriteReservePlainText(ReplyWriter& out, const char* text);
// The answer for a programme the guide does not hold (a link left on a page
// across an EPG update): 404 with a short text.
void WriteProgrammeNotFound(ReplyWriter& out);
// The programme's title, short text and extended text (its lines kept),
// escaped, below the form.
void WriteReserveEventTexts(ReplyWriter& out, const EpgEvent& event);

}  // namespace plimod
