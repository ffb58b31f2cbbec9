#pragma once
// Sends the reservation list to the user's schedule on the calendar
// service ([SYOBOIUPLOAD]), so the service shows what will be recorded:
// one line per enabled reservation whose programme is in the EPG data, as
// a form post to "/sch_upload?slot=N" with Basic authorization.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system_time.h"
#include "server/reply_writer.h"
#include "settings/ini_file.h"

namespace plimod {

// What the upload needs of one reservation.
struct UploadReservation {
  SystemTime start;  // local time
  std::int32_t durationSeconds = 0;
  std::uint64_t serviceKey = 0;
  std::uint16_t eventId = 0;
  bool disabled = false;
  std::wstring tunerLabel;  // empty: none
};

// The upload lines (UTF-8, TAB-separated, LF ends) of the reservations
// whose programme the EPG data holds; disabled ones are left out. The
// caller holds the EPG store (busy flag or lock).
std::string SyoboiUploadLines(const IniFile& settings, const std::vector<UploadReservation>& reservations);

// "data=" and the form-encoded lines, then "&epgurl=" and "&devcolors="
// (commas as TABs) when those settings are set.
std::string SyoboiUploadBody(const IniFile& settings, const std::string& lines);

// POSTs the body; with `out`, the service's reply (at most 2047 bytes,
// escaped) is written as a page followed by ".". Returns the reply bytes.
int UploadToSyoboi(const std::string& user, const std::string& password, int slot, const std::string& body,
                   ReplyWriter* out);

// Builds and sends the upload of the current reservation list; nothing is
// sent (or written to `out`) when no line is left. `out` is the page of
// `syoboup`, or null for the timed upload.
void UploadSyoboiReserves(const IniFile& settings, ReplyWriter* out);

}  // namespace plimod
