#include "guide/navigation_bar.h"

#include <string>

#include "epg/channel_order.h"
#include "guide/civil_time.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"

namespace plimod {

namespace {

constexpr int kDayStartHour = 5;
constexpr int kDayEndHour = 29;
constexpr int kHourLinks[] = {5, 8, 11, 14, 17, 19, 21, 23, 25, 27};
constexpr int kColumnCounts[] = {6, 8, 10, 12};
constexpr const char* kWeekdayNames[] = {"日", "月", "火", "水", "木", "金", "土"};

const char* WeekdayColour(int weekday) {
  if (weekday == 0) return "red";
  if (weekday == 6) return "skyblue";
  return "black";
}

// A link to `hour` of the base day moved by `dayShift`.
void WriteDayHourLink(ReplyWriter& out, std::time_t base, int dayShift, int hour, const std::string& query,
                      const char* label, const char* after) {
  SendPageText(out, "<A HREF='?day=%d&hour=%d&%s'>%s</A>%s", DateNumberAfterDays(base, dayShift), hour,
               query.c_str(), label, after);
}

void WriteWeekLinks(ReplyWriter& out, const RequestParameters& params) {
  const std::string query = MakeCarryOverQuery(params, "day");
  const std::time_t today = BroadcastDayOf(LocalNow());
  for (int i = 0; i < 7; ++i) {
    const std::time_t day = today + static_cast<std::time_t>(i) * 86400;
    const int weekday = LocalFields(day).tm_wday;
    SendPageText(out, "<A HREF='?day=%d&%s'><font color=%s>%s</font></A>", DateNumberAfterDays(day, 0),
                 query.c_str(), WeekdayColour(weekday), kWeekdayNames[weekday]);
  }
}

void WriteStepLinks(ReplyWriter& out, std::time_t base, int hour, int range, const std::string& query) {
  WriteDayHourLink(out, base, -1, hour, query, "前の日", "|");
  WriteDayHourLink(out, base, 1, hour, query, "次の日", " ");

  int earlier = hour - range;
  int earlierDay = 0;
  if (earlier < kDayStartHour) {
    earlier += 24;
    earlierDay = -1;
  }
  WriteDayHourLink(out, base, earlierDay, earlier, query, "前の時間", "|");
  int later = hour + range;
  int laterDay = 0;
  if (later >= kDayEndHour) {
    later -= 24;
    laterDay = 1;
  }
  WriteDayHourLink(out, base, laterDay, later, query, "次の時間", " ");

  if (hour - 3 < kDayStartHour) {
    WriteDayHourLink(out, base, -1, hour + 21, query, "-3時間", "|");
  } else {
    WriteDayHourLink(out, base, 0, hour - 3, query, "-3時間", "|");
  }
  if (hour + 3 >= kDayEndHour) {
    WriteDayHourLink(out, base, 1, hour - 21, query, "+3時間", " ");
  } else {
    WriteDayHourLink(out, base, 0, hour + 3, query, "+3時間", " ");
  }
}

void WriteHourLinks(ReplyWriter& out, const RequestParameters& params) {
  const std::string query = MakeCarryOverQuery(params, "hour");
  for (int h : kHourLinks) SendPageText(out, "<A HREF='?hour=%d&%s'>%d時</A> ", h, query.c_str(), h);
}

void WriteColumnAndPageLinks(ReplyWriter& out, const RequestParameters& params, std::uint32_t band) {
  const int channels = CountChannels(band);
  const std::string pageText = params.Value("page");
  const bool all = pageText == "all";
  int page = all ? 0 : StringToInt(pageText);
  if (!all && page < 1) page = 1;
  int limit = StringToInt(params.Value("limit"));
  if (limit < 1) limit = 10;

  SendPageText(out, " 列数:");
  const std::string limitQuery = MakeCarryOverQuery(params, "limit");
  for (int n : kColumnCounts) {
    if (n == limit) {
      SendPageText(out, "%d ", n);
    } else {
      SendPageText(out, "<A HREF='?limit=%d&%s'>%d</A> ", n, limitQuery.c_str(), n);
    }
  }
  const int pages = (channels - 1) / limit;
  if (pages <= 0) return;
  const std::string pageQuery = MakeCarryOverQuery(params, "page");
  SendPageText(out, " 頁:");
  if (all) {
    SendPageText(out, "全 ");
  } else {
    SendPageText(out, "<A HREF='?page=all&%s'>全</A> ", pageQuery.c_str());
  }
  for (int n = 1; n <= pages + 1; ++n) {
    if (n == page) {
      SendPageText(out, "%d ", n);
    } else {
      SendPageText(out, "<A HREF='?page=%d&%s'>%d</A> ", n, pageQuery.c_str(), n);
    }
  }
}

}  // namespace

void WriteNavigationBar(ReplyWriter& out, const RequestParameters& params, std::uint32_t band,
                        std::time_t base, int hour, int range) {
  const std::string dayHourQuery = MakeCarryOverQuery(params, "day hour");
  SendPageText(out, "<span class=ctrl>");
  SendPageText(out, "<A HREF='?%s'>今日</A> ", dayHourQuery.c_str());
  WriteWeekLinks(out, params);
  SendPageText(out, " ");
  WriteStepLinks(out, base, hour, range, dayHourQuery);
  WriteHourLinks(out, params);
  WriteColumnAndPageLinks(out, params, band);
  SendPageText(out, "</span>\n");
}

}  // namespace plimod
