#include <algorithm>
#include <ctime>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "epg/event_start_order.h"
#include "epg/search_match.h"
#include "guide/civil_time.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "pages/mobile/mobile_pages_internal.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "settings/settings.h"
#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr int kMinutesPerDay = 1440;
constexpr int kDayStartMinutes = 300;  // 05:00
constexpr int kDayEndMinutes = kDayStartMinutes + kMinutesPerDay;
constexpr int kWindowHours = 3;
constexpr int kFirstDayNumber = 19800101;
constexpr int kLastDayNumber = 20791231;
constexpr std::uint32_t kBandMasks[] = {0x1, 0x10, 0x100, 0x1000};
constexpr std::uint32_t kAlwaysShownBand = 0x1000;

// The broadcast day and the window of minutes (from its midnight) a table
// shows.
struct TableWindow {
  bool search = false;  // c=s: the whole day
  std::time_t dayStart = 0;
  std::tm dayFields{};         // LocalFields of dayStart
  std::int64_t dayNumber = 0;  // CivilDayNumber of dayStart
  int hour = 0;                // 5..28
  int from = 0;
  int to = 0;
  std::int64_t fromTicks = 0;  // the window's start and end as ticks
  std::int64_t toTicks = 0;
};

std::int64_t DayNumberOf(int year, int month, int day) { return CivilDayNumber(year, month, day); }

std::time_t RequestedDay(const RequestParameters& params, const SystemTime& now) {
  const std::string text = params.Value("d");
  const int number = StringToInt(text);
  if (text.empty() || number < kFirstDayNumber || number > kLastDayNumber) return BroadcastDayOf(now);
  const int month = std::clamp(number / 100 % 100, 1, 12);
  const int day = std::max(number % 100, 1);
  return LocalMidnight(number / 10000, month, day);
}

int RequestedHour(const RequestParameters& params, const SystemTime& now) {
  const std::string text = params.Value("h");
  const int hour = StringToInt(text);
  if (!text.empty() && hour >= 0 && hour <= 28) return (hour + 19) % 24 + 5;
  return now.wHour < 5 ? now.wHour + 24 : now.wHour;
}

TableWindow WindowOf(const MobileRequest& request) {
  const SystemTime now = LocalNow();
  TableWindow window;
  window.search = request.Page() != "e";
  window.dayStart = RequestedDay(request.params, now);
  window.dayFields = LocalFields(window.dayStart);
  window.dayNumber =
      DayNumberOf(window.dayFields.tm_year + 1900, window.dayFields.tm_mon + 1, window.dayFields.tm_mday);
  window.hour = RequestedHour(request.params, now);
  window.from = window.search ? kDayStartMinutes : window.hour * 60;
  window.to = window.search ? kDayEndMinutes : (window.hour + kWindowHours) * 60;
  SystemTime midnight;
  midnight.wYear = static_cast<std::uint16_t>(window.dayFields.tm_year + 1900);
  midnight.wMonth = static_cast<std::uint16_t>(window.dayFields.tm_mon + 1);
  midnight.wDay = static_cast<std::uint16_t>(window.dayFields.tm_mday);
  const std::int64_t midnightTicks = SystemTimeToTicks(midnight).value_or(0);
  window.fromTicks = midnightTicks + window.from * kTicksPerMinute;
  window.toTicks = midnightTicks + window.to * kTicksPerMinute;
  return window;
}

// Where a programme falls on the table: its day, its minutes from that
// day's midnight (25:30 past midnight), and the minutes cut off when it was
// already running at the window's start. Worked out from the start and the
// length alone, so that only the programmes kept are copied.
struct Placement {
  std::int64_t day = 0;
  int minutes = 0;
  bool cut = false;
  int cutMinutes = 0;
};

Placement PlaceOnDay(const EpgEvent& event, const TableWindow& window) {
  Placement placed{DayNumberOf(event.start.wYear, event.start.wMonth, event.start.wDay),
                   event.start.wHour * 60 + event.start.wMinute};
  if (!window.search && placed.day > window.dayNumber) {
    const std::int64_t days = placed.day - window.dayNumber;
    placed.day -= days;
    placed.minutes += static_cast<int>(days * kMinutesPerDay);
  } else if (window.search && placed.minutes < kDayStartMinutes) {
    placed.day -= 1;
    placed.minutes += kMinutesPerDay;
  }
  const int end = placed.minutes + static_cast<int>(event.durationSeconds / 60);
  const bool fromDayBefore = placed.day == window.dayNumber - 1 && end > kDayEndMinutes &&
                             window.from < end - kMinutesPerDay;
  const bool fromSameDay = placed.day == window.dayNumber && placed.minutes < window.from && window.from < end;
  if (fromDayBefore || fromSameDay) {
    const int begin = fromDayBefore ? placed.minutes - kMinutesPerDay : placed.minutes;
    placed.cut = true;
    placed.cutMinutes = window.from - begin;
    placed.day = window.dayNumber;
    placed.minutes = window.from;
  }
  return placed;
}

bool InWindow(const Placement& placed, const TableWindow& window) {
  if (placed.day != window.dayNumber) return false;
  return window.search || (placed.minutes >= window.from && placed.minutes < window.to);
}

// The copy a kept programme is listed as: the table's date, the hour
// counted on past midnight, the start's own minutes to show, and the part
// before the window cut off.
EpgEvent ShownCopy(const EpgEvent& event, const Placement& placed, const TableWindow& window) {
  EpgEvent copy = event;
  const int displayMinutes = event.start.wHour * 60 + event.start.wMinute + (event.start.wHour < 5 ? kMinutesPerDay : 0);
  copy.displayStartMinutes = static_cast<std::uint32_t>(displayMinutes);
  SystemTime& start = copy.start;
  if (placed.cut) {
    start.wMinute = 0;
    copy.durationSeconds -= std::min<std::uint32_t>(copy.durationSeconds, placed.cutMinutes * 60u);
  }
  start.wYear = static_cast<std::uint16_t>(window.dayFields.tm_year + 1900);
  start.wMonth = static_cast<std::uint16_t>(window.dayFields.tm_mon + 1);
  start.wDay = static_cast<std::uint16_t>(window.dayFields.tm_mday);
  start.wDayOfWeek = static_cast<std::uint16_t>(window.dayFields.tm_wday);
  start.wHour = static_cast<std::uint16_t>(placed.minutes / 60);
  return copy;
}

struct ListedProgram {
  int minutes = 0;
  EpgEvent copy;
};

class TableCollector {
 public:
  TableCollector(const TableWindow& window, const ReserveLists& lists)
      : window_(window), lists_(lists), hooks_(CurrentEpgPageHooks()) {
    if (window_.search) conditions_ = LoadSearchConditions(Settings());
    // This thread's calendar marks: a page on the worker keeps its own.
    if (window_.search && hooks_.clearSyoboiSeenFlags) hooks_.clearSyoboiSeenFlags();
  }

  // Only the events near the window: a channel holds a week or more. They
  // come in start order; the channel's programmes are put back in the order
  // of its event map (by event id), which programmes listed at one minute
  // keep (a programme running into the window beside one starting there).
  void CollectChannel(std::uint64_t serviceKey) {
    const std::size_t first = listed_.size();
    ForEachEventNear(serviceKey, window_.fromTicks, window_.toTicks,
                     [this](const EpgEvent& event) { Consider(event); });
    std::sort(listed_.begin() + static_cast<std::ptrdiff_t>(first), listed_.end(),
              [](const ListedProgram& a, const ListedProgram& b) { return a.copy.eventId < b.copy.eventId; });
  }

  std::vector<ListedProgram> Take() {
    std::stable_sort(listed_.begin(), listed_.end(),
                     [](const ListedProgram& a, const ListedProgram& b) { return a.minutes < b.minutes; });
    return std::move(listed_);
  }

 private:
  // The window is tested on the start fields first: most programmes of a
  // channel lie on other days and are never copied.
  void Consider(const EpgEvent& event) {
    const Placement placed = PlaceOnDay(event, window_);
    if (!InWindow(placed, window_) || !event.HasText(EventText::kTitle)) return;
    EpgEvent copy = ShownCopy(event, placed, window_);
    const bool listed = !window_.search || Matches(event, copy) || InCalendar(event);
    const bool reserved = FindReserveForEvent(lists_, copy) != nullptr;
    if (listed || reserved) listed_.push_back({placed.minutes, std::move(copy)});
  }

  // Tested on the stored programme, whose day and hour are its real start
  // (the copy may read 25:30 of the day before); the number goes on the copy.
  bool Matches(const EpgEvent& event, EpgEvent& copy) const {
    const std::uint32_t number = FirstMatchingCondition(conditions_, event);
    if (number == 0) return false;
    SetConditionNumber(copy, number);
    return true;
  }

  // Looked up with the programme's real start for the same reason.
  bool InCalendar(const EpgEvent& event) const {
    return hooks_.findSyoboiProgram &&
           hooks_.findSyoboiProgram(ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId),
                                    event.start);
  }

  const TableWindow& window_;
  const ReserveLists& lists_;
  EpgPageHooks hooks_;
  SearchConditionSet conditions_;
  std::vector<ListedProgram> listed_;
};

std::uint32_t BandMaskParam(const RequestParameters& params) {
  const std::string text = params.Value("b");
  return text.empty() ? 1u : ParseHex32(text);
}

std::vector<ListedProgram> CollectPrograms(const TableWindow& window, std::uint32_t bands, const ReserveLists& lists) {
  TableCollector collector(window, lists);
  for (std::uint32_t mask : kBandMasks) {
    if (mask != kAlwaysShownBand && (bands & mask) == 0) continue;
    for (std::uint64_t key : ChannelsInDisplayOrder(mask)) collector.CollectChannel(key);
  }
  return collector.Take();
}

void WriteWindowLinks(ReplyWriter& out, const TableWindow& window, const std::string& carry) {
  const bool previousDay = window.hour - kWindowHours < 5;
  SendPageText(out, "<A HREF='?d=%d&h=%d&%s' accesskey=2>2前</A> ",
               DateNumberAfterDays(window.dayStart, previousDay ? -1 : 0),
               previousDay ? window.hour + 21 : window.hour - kWindowHours, carry.c_str());
  const bool nextDay = window.hour + kWindowHours >= 29;
  SendPageText(out, "<A HREF='?d=%d&h=%d&%s' accesskey=8>8次</A> ", DateNumberAfterDays(window.dayStart, nextDay ? 1 : 0),
               nextDay ? window.hour - 21 : window.hour + kWindowHours, carry.c_str());
}

void WriteBandLinks(ReplyWriter& out, std::uint32_t bands, const std::string& carry) {
  static constexpr const char* kLabels[] = {"1地", "2BS", "3CS"};
  for (int band = 0; band < 3; ++band) {
    const std::uint32_t mask = kBandMasks[band];
    SendPageText(out, "<A HREF='?b=%x&%s' accesskey=%d><font color='%s'>%s</font></A> ", mask, carry.c_str(), band + 1,
                 (bands & mask) ? "#FF8000" : "#c0c0c0", kLabels[band]);
  }
}

}  // namespace

void MobileProgramTable(ReplyWriter& out, MobileRequest& request) {
  const ReserveSnapshot lists = ReloadMobileReserveLists();
  const TableWindow window = WindowOf(request);
  const std::uint32_t bands = BandMaskParam(request.params);
  std::shared_lock lock(EpgDataLock());
  const std::vector<ListedProgram> programs = CollectPrograms(window, bands, *lists);

  MobilePageHead(out, window.search ? "検索結果" : "番組表");
  SendPageText(out, "<A HREF='?%s' accesskey=0>戻</A> ", MobileQueryCarry(request.params, "c d b s").c_str());
  const std::string dayCarry = MobileQueryCarry(request.params, "d");
  SendPageText(out, "<A HREF='?d=%d&%s' accesskey=4>4前</A> ", DateNumberAfterDays(window.dayStart, -1),
               dayCarry.c_str());
  SendPageText(out, "<A HREF='?d=%d&%s' accesskey=6>6翌</A> ", DateNumberAfterDays(window.dayStart, 1),
               dayCarry.c_str());
  if (window.search) {
    WriteBandLinks(out, bands, MobileQueryCarry(request.params, "b"));
  } else {
    WriteWindowLinks(out, window, MobileQueryCarry(request.params, "d h"));
  }
  SendPageText(out, "<hr>\n");
  if (programs.empty()) SendPageText(out, "結果なし ");
  for (const ListedProgram& program : programs) MobileProgramLink(out, request, program.copy, *lists);
  MobilePageEnd(out);
}

}  // namespace plimod
