#include "guide/epg_page/epg_page_links.h"

#include <string>

#include "epg/channel_order.h"
#include "guide/civil_time.h"
#include "guide/navigation_bar.h"
#include "server/carry_over.h"
#include "server/page_reply.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr int kDayStartHour = 5;
constexpr int kDayEndHour = 29;
constexpr int kHourRanges[] = {3, 6, 12, 24};
constexpr int kDayRanges[] = {1, 2, 3, 7};

const char* OnOff(bool on) { return on ? "on" : "off"; }

void WriteViewLinks(ReplyWriter& out, const RequestParameters& params, PageMode mode) {
  SendPageText(out, "<span class=%s><A HREF='?%s'>検索</A></span>|", OnOff(mode == PageMode::kSearch),
               MakeCarryOverQuery(params, "mode chid range hour band").c_str());
  SendPageText(out, "<span class=%s><A HREF='?mode=epg&%s'>番組表</A></span>　", OnOff(mode == PageMode::kEpg),
               MakeCarryOverQuery(params, "mode chid range band").c_str());
}

void WriteRangeLinks(ReplyWriter& out, const RequestParameters& params, const char* label, const int (&ranges)[4],
                     int current) {
  const std::string query = MakeCarryOverQuery(params, "range");
  SendPageText(out, "%s", label);
  for (int range : ranges) {
    if (range == current) {
      SendPageText(out, " %d", range);
    } else {
      SendPageText(out, " <A HREF='?range=%d&%s'>%d</A>", range, query.c_str(), range);
    }
  }
}

void WriteHourStepLinks(ReplyWriter& out, const RequestParameters& params, const PageView& view) {
  const std::string query = MakeCarryOverQuery(params, "day hour");
  const std::time_t base = view.baseDay;
  const int hour = view.hour;
  const int range = view.state.range;
  SendPageText(out, "<A HREF='?%s'>今日</A> ", query.c_str());
  SendPageText(out, "<A HREF='?day=%d&hour=%d&%s'>前の日</A>|", DateNumberAfterDays(base, -1), hour, query.c_str());
  SendPageText(out, "<A HREF='?day=%d&hour=%d&%s'>次の日</A> ", DateNumberAfterDays(base, 1), hour, query.c_str());
  int earlier = hour - range;
  int earlierDay = 0;
  if (earlier < kDayStartHour) {
    earlier += 24;
    earlierDay = -1;
  }
  SendPageText(out, "<A HREF='?day=%d&hour=%d&%s'>前帯</A>|", DateNumberAfterDays(base, earlierDay), earlier,
               query.c_str());
  int later = hour + range;
  int laterDay = 0;
  if (later >= kDayEndHour) {
    later -= 24;
    laterDay = 1;
  }
  SendPageText(out, "<A HREF='?day=%d&hour=%d&%s'>次帯</A>　", DateNumberAfterDays(base, laterDay), later,
               query.c_str());
  WriteRangeLinks(out, params, "時間", kHourRanges, range);
}

void WriteDayStepLinks(ReplyWriter& out, const RequestParameters& params, const PageView& view) {
  const std::string query = MakeCarryOverQuery(params, "day");
  const std::time_t base = view.baseDay;
  const int range = view.state.range;
  SendPageText(out, "<A HREF='?%s'>今日</A> ", query.c_str());
  SendPageText(out, "<A HREF='?day=%d&%s'>前の日</A>|", DateNumberAfterDays(base, -1), query.c_str());
  SendPageText(out, "<A HREF='?day=%d&%s'>次の日</A> ", DateNumberAfterDays(base, 1), query.c_str());
  SendPageText(out, "<A HREF='?day=%d&%s'>前頁</A>|", DateNumberAfterDays(base, -range), query.c_str());
  SendPageText(out, "<A HREF='?day=%d&%s'>次頁</A>　", DateNumberAfterDays(base, range), query.c_str());
  WriteRangeLinks(out, params, "日数", kDayRanges, range);
}

void WriteBandLinks(ReplyWriter& out, const RequestParameters& params, const PageView& view) {
  const std::string query = MakeCarryOverQuery(params, "band");
  const std::uint32_t mask = view.state.band;
  // The programme table and the station view show one band; the search
  // grid adds and removes bands.
  auto target = [&](std::uint32_t bit) { return view.mode == PageMode::kSearch ? (mask ^ bit) : bit; };
  auto on = [&](std::uint32_t bit) { return OnOff((mask & bit) != 0); };
  SendPageText(out, "　<span class=%s><A HREF='?band=%x&%s'>地</A></span>|", on(kBandTerrestrial),
               target(kBandTerrestrial), query.c_str());
  SendPageText(out, "<span class=%s><A HREF='?band=%x&%s'>BS</A></span>|", on(kBandBs), target(kBandBs),
               query.c_str());
  SendPageText(out, "<span class=%s><A HREF='?band=%x&%s'>CS</A></span>", on(kBandCs), target(kBandCs),
               query.c_str());
  if (CountChannels(kBandOther) > 0) {
    SendPageText(out, "|<span class=%s><A HREF='?band=%x&%s'>不</A></span>", on(kBandOther), target(kBandOther),
                 query.c_str());
  }
}

void WriteSwitchLinks(ReplyWriter& out, const RequestParameters& params, const PageView& view) {
  const bool detail = view.state.detail != 0;
  SendPageText(out, "　<span class=%s><A HREF='?%s%s'>詳</A></span>", OnOff(detail), detail ? "detail=0&" : "",
               MakeCarryOverQuery(params, "detail").c_str());
  const std::string mode = params.Value("mode");
  if (mode.empty() || mode == "search") {
    const bool mark = view.mark != 0;
    SendPageText(out, "|<span class=%s><A HREF='?%s%s'>語</A></span>", OnOff(mark), mark ? "" : "mark=1&",
                 MakeCarryOverQuery(params, "mark").c_str());
  }
}

void WriteSettingsLinks(ReplyWriter& out, const RequestParameters& params, const EpgPageSettings& page) {
  const std::string query = MakeCarryOverQuery(params);
  SendPageText(out, "　<A HREF='?cmd=search&%s'>検索設定</A> <A HREF='?cmd=config&%s'>環境設定</A>", query.c_str(),
               query.c_str());
  SendPageText(out, " <A HREF='?cmd=linesrch&%s'>検索</A>", query.c_str());
  if (page.edcbEnabled) SendPageText(out, " <A HREF='?cmd=edcb&%s'>EDCB</A>", query.c_str());
  SendPageText(out, "<BR>\n");
  SendPageText(out, "<span class=xxsmall><BR></span>\n");
}

}  // namespace

void WriteEpgPageTopLinks(ReplyWriter& out, const RequestParameters& params, const PageView& view,
                          const EpgPageSettings& page) {
  WriteViewLinks(out, params, view.mode);
  if (view.mode == PageMode::kEpg) {
    WriteHourStepLinks(out, params, view);
  } else {
    WriteDayStepLinks(out, params, view);
  }
  WriteBandLinks(out, params, view);
  WriteSwitchLinks(out, params, view);
  WriteSettingsLinks(out, params, page);
  if (view.mode == PageMode::kEpg) {
    WriteNavigationBar(out, params, view.state.band, view.baseDay, view.hour, view.state.range);
  }
}

}  // namespace plimod
