#include "guide/epg_page/epg_table_view.h"

#include <algorithm>
#include <string>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "guide/civil_time.h"
#include "guide/page_days.h"
#include "guide/weekday_mark.h"
#include "util/page_text.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "util/conversions.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr int kGridColumns = 180;
const char* WeekdayMarkOfDay(std::time_t day) { return WeekdayMark(LocalFields(day).tm_wday); }

std::string KeyText(std::uint64_t key) {
  std::string text;
  FormatChannelKey(key, &text, nullptr);
  return text;
}

std::string ServiceName(std::uint64_t key) {
  const auto name = ServiceMap.find(key);
  return name == ServiceMap.end() ? std::string() : PageText(name->second);
}

void WriteChannelLink(ReplyWriter& out, std::uint64_t key, const std::string& query, const std::string& label) {
  SendPageText(out, "<a href='?chid=%s&%s' class=chname>%s</a>　", PercentEncodeValue(KeyText(key)).c_str(),
               query.c_str(), label.c_str());
}

// The channels of the station's band, five at a time round the current one
// when there are more, with jumps to the channels further away.
void WriteStationStrip(ReplyWriter& out, const RequestParameters& params, std::uint64_t current, int columns) {
  const std::vector<std::uint64_t> channels = ChannelsInDisplayOrder(BandMaskOf(current));
  const int count = static_cast<int>(channels.size());
  if (count == 0) return;
  int at = static_cast<int>(std::find(channels.begin(), channels.end(), current) - channels.begin());
  if (at == count) at = 0;
  const std::string query = MakeCarryOverQuery(params, "chid");
  auto wrap = [count](int index) { return ((index % count) + count) % count; };

  SendPageText(out, "<TR><TD></TD><TD align=left valign=middle bgcolor=#4040ff colspan=%d>　　", columns);
  SendPageText(out, "<span class=small>");
  int from = 0;
  int shown = count;
  const int jump = (count == 6 || count == 7) ? count - 3 : 5;
  if (count > 5) {
    from = at - 2;
    shown = 5;
    WriteChannelLink(out, channels[static_cast<std::size_t>(wrap(at - jump))], query, "&lt;&lt;");
  }
  for (int i = 0; i < shown; ++i) {
    const std::uint64_t key = channels[static_cast<std::size_t>(wrap(from + i))];
    if (key == current) {
      SendPageText(out, "</span><font color=#ffffff>%s</font><span class=small>　", ServiceName(key).c_str());
    } else {
      WriteChannelLink(out, key, query, ServiceName(key));
    }
  }
  if (count > 5) WriteChannelLink(out, channels[static_cast<std::size_t>(wrap(at + jump))], query, "&gt;&gt;");
  SendPageText(out, "</span></TD></TR>\n");
}

void WriteTitleRow(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                   const EpgPageLayout& layout, std::time_t day) {
  if (view.mode == PageMode::kStation) {
    const std::uint64_t key = ParseChannelKey(DecodeUtf8(params.Value("chid")));
    if (key != 0) WriteStationStrip(out, params, key, layout.columns);
    return;
  }
  const std::tm fields = LocalFields(day);
  SendPageText(out, "<TR><TD></TD><TD align=left bgcolor=#4040ff colspan=%d><font color=#ffffff>　　%d/%d%s</font></TD></TR>\n",
               view.mode == PageMode::kEpg ? layout.columns : kGridColumns, fields.tm_mon + 1, fields.tm_mday,
               WeekdayMarkOfDay(day));
}

void WriteColumnHeaders(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                        const EpgPageLayout& layout) {
  SendPageText(out, "<TR><TD></TD>");
  auto open = [&out] {
    SendPageText(out, "<td colspan=%d bgcolor=#80ffff align=center>", 1);
    SendPageText(out, "<table border=0 cellpadding=0 cellspacing=0 class=prog><tbody>");
  };
  if (view.mode == PageMode::kStation) {
    for (std::time_t day : layout.dayColumns) {
      const std::tm fields = LocalFields(day);
      open();
      SendPageText(out, "<span class=station>%d/%d%s</span>", fields.tm_mon + 1, fields.tm_mday, WeekdayMarkOfDay(day));
      SendPageText(out, "</tbody></table></td>");
    }
  } else {
    const std::string query = MakeCarryOverQuery(params, "mode range");
    for (std::uint64_t key : layout.channelColumns) {
      open();
      SendPageText(out, "<span class=station><a href='?mode=station&chid=%s&%s'>%s</a></span>",
                   PercentEncodeValue(KeyText(key)).c_str(), query.c_str(), ServiceName(key).c_str());
      SendPageText(out, "</tbody></table></td>");
    }
  }
  SendPageText(out, "<TD></TD>");
  SendPageText(out, "</TR>\n");
}

const char* HourClass(int hour) {
  if (hour >= 12 && hour <= 17) return "tm_eve";
  if (hour >= 18 && hour <= 23) return "tm_nig";
  if (hour >= 24 && hour <= 28) return "tm_mid";
  return "tm_mor";
}

int StepOf(const RowSteps& steps, int minute) {
  const int step = steps[static_cast<std::size_t>((minute / 60) % 24)];
  return step > 0 ? step : 1;
}

void WriteHourCell(ReplyWriter& out, const RowSteps& steps, int hour) {
  SendPageText(out, "\t<TD rowspan=%d align=right valign=top width=1 class=%s>%d</TD>\n",
               60 / StepOf(steps, hour * 60), HourClass(hour), (hour - 5) % 24 + 5);
}

// Walks the rows of one day once from top to bottom, writing each cell in
// the row of its start.
class RowWriter {
 public:
  RowWriter(ReplyWriter& out, const PageView& view, const EpgPageLayout& layout, std::time_t day,
            const DayEventList& cells, const RowSteps& steps, const EpgCellContext& context)
      : out_(out), view_(view), window_(layout.window), day_(day), cells_(cells), steps_(steps), context_(context) {}

  void Write() {
    auto next = cells_.begin();
    for (int t = window_.first;; ++t) {
      const int step = StepOf(steps_, t);
      t = (t + step - 1) / step * step;
      if (t >= window_.last) break;
      const bool fullHour = t % 60 == 0;
      SendPageText(out_, "<TR>");
      if (fullHour) WriteHourCell(out_, steps_, t / 60);
      // A cell whose start lies between two rows (which the grid should not
      // allow) is drawn in the next row rather than lost.
      for (; next != cells_.end() && StartMinuteOf(*next) <= t; ++next) WriteCell(next, t);
      if (fullHour && view_.mode != PageMode::kSearch) WriteHourCell(out_, steps_, t / 60);
      SendPageText(out_, "</TR>\n");
    }
  }

 private:
  int ColumnsAt(DayEventIterator at, int start) {
    if (view_.mode != PageMode::kSearch) return kGridColumns;
    if (start >= groupEnd_) {
      int span = 0;
      int columns = 1;
      if (MaxOverlap(at, cells_.end(), start, span, columns, day_)) {
        groupEnd_ = start + span;
      } else {
        groupEnd_ = start;
      }
      groupColumns_ = std::clamp(columns, 1, kGridColumns);
    }
    return groupColumns_;
  }

  void WriteCell(DayEventIterator at, int t) {
    const int start = std::max(StartMinuteOf(*at), t);
    const int end = std::min(StartMinuteOf(*at) + DurationMinutesOf(*at), window_.last);
    const int rows = std::max(1, CountGridRows(steps_, start, std::max(0, end - start)));
    const int columns = ColumnsAt(at, start);
    int colspan = kGridColumns / columns;
    if (view_.mode == PageMode::kEpg) colspan *= static_cast<int>(std::max<std::uint32_t>(at->columnSpan, 1));
    WriteEpgPageCell(out_, *at, rows, colspan, context_);
  }

  ReplyWriter& out_;
  const PageView& view_;
  const EpgPageWindow& window_;
  std::time_t day_;
  const DayEventList& cells_;
  const RowSteps& steps_;
  const EpgCellContext& context_;
  int groupEnd_ = -1;
  int groupColumns_ = 1;
};

RowSteps StepsOf(const EpgPageLayout& layout, std::time_t day) {
  const auto grid = layout.grids.find(day);
  if (grid != layout.grids.end()) return grid->second;
  RowSteps steps;
  steps.fill(60);
  return steps;
}

void WriteDayTable(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                   const EpgPageLayout& layout, std::time_t day, const EpgCellContext& context) {
  SendPageText(out, "<TABLE bgcolor=#202020 cellpadding=1 cellspacing=1>\n");
  WriteTitleRow(out, params, view, layout, day);
  const auto list = layout.days.find(day);
  if (list == layout.days.end()) {
    SendPageText(out, "</TBODY></TABLE>\n");
    return;
  }
  if (view.mode != PageMode::kSearch) WriteColumnHeaders(out, params, view, layout);
  // The station view's columns share the base day's grid.
  const RowSteps steps = StepsOf(layout, view.mode == PageMode::kStation ? layout.window.base : day);
  RowWriter(out, view, layout, day, list->second, steps, context).Write();
  SendPageText(out, "</TBODY></TABLE>\n");
}

}  // namespace

void WriteEpgPageTables(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                        const EpgPageLayout& layout, const EpgCellContext& context) {
  const std::time_t base = layout.window.base;
  if (view.mode != PageMode::kSearch) {
    WriteDayTable(out, params, view, layout, base, context);
    return;
  }
  const std::time_t last = std::max(base, layout.lastDay.value_or(base));
  for (std::time_t day = base; day <= last; day = AddDays(day, 1)) {
    WriteDayTable(out, params, view, layout, day, context);
  }
}

}  // namespace plimod
