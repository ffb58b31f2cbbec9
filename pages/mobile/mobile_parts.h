#pragma once
// What the mobile pages share: the request's line width, the page head, the
// carried parameters, time labels, the width fitting and programme entries.

#include <string>
#include <string_view>

#include "epg/epg_event.h"
#include "recorder/lists/reserve_lists.h"
#include "server/reply_writer.h"
#include "server/request_parameters.h"

namespace plimod {

inline constexpr int kMobileDefaultWidth = 24;
inline constexpr int kMobileMinWidth = 18;

// One mobile request: its own parameters and line width.
struct MobileRequest {
  RequestParameters& params;
  int width = kMobileDefaultWidth;
  std::string Page() const { return params.Value("c"); }
};

// 24 columns without `w`, else its value, at least 18.
int MobileWidthOf(const RequestParameters& params);

// Time-label colours.
enum MobileColour { kMobilePlain = 0, kMobileGreen = 1, kMobileRed = 2, kMobileGrey = 3 };

void MobilePageHead(ReplyWriter& out, std::string_view titleUtf8);
void MobilePageEnd(ReplyWriter& out);
// The parameters c, d, b, s, w, f that are set, encoded, joined by "&"; a
// name occurring anywhere in `leaveOut` is skipped.
std::string MobileQueryCarry(const RequestParameters& params, std::string_view leaveOut);
// "mm/dd<weekday>hh:mm～" in the colour, the hour and minute from `minutes`
// (which may pass 24:00 on a broadcast day).
void MobileTimeLabel(ReplyWriter& out, const SystemTime& date, int colour, int minutes);
// The text in half-width forms, cut to `columns` display columns.
std::wstring FitToMobileWidth(const std::wstring& text, int columns);
// The mobile weekday label ("月 ", coloured Sunday and Saturday).
const char* MobileWeekday(int dayOfWeek);

// One programme of a list: time label, station, linked title. The event is
// a copy carrying its reservation marks and display minutes.
void MobileProgramLink(ReplyWriter& out, const MobileRequest& request, const EpgEvent& event,
                       const ReserveLists& lists);
// The detail block of one programme.
void MobileProgramInfo(ReplyWriter& out, const EpgEvent& event);

// The stored event, or null; valid while the caller holds the store's lock.
const EpgEvent* FindStoredEvent(std::uint64_t serviceKey, std::uint16_t eventId);

// Reloads the reservation lists (as the main pages do before a table) and
// returns the snapshot this page then holds.
ReserveSnapshot ReloadMobileReserveLists();
// The same for the reservation list itself (dispatcher job loadShownReserveList).
ReserveSnapshot ShownMobileReserveLists();
// EPGDATACAP/ENABLE of the settings.
int RecorderLinkSetting();

}  // namespace plimod
