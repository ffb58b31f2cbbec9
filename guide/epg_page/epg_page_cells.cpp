#include "guide/epg_page/epg_page_cells.h"

#include <algorithm>

#include "guide/page_days.h"
#include "util/keys.h"

namespace plimod {

namespace {

std::uint64_t CellServiceKey(const EpgEvent& cell) {
  return ServiceKey(cell.originalNetworkId, cell.transportStreamId, cell.serviceId);
}

EpgEvent MakeFiller(std::uint64_t key, std::uint32_t span, std::time_t day, int from, int to) {
  EpgEvent filler;
  filler.originalNetworkId = OnidOf(key);
  filler.transportStreamId = TsidOf(key);
  filler.serviceId = SidOf(key);
  filler.displayFlags = kCellFiller;
  filler.columnSpan = span;
  filler.durationSeconds = static_cast<std::uint32_t>(to - from) * 60;
  SetListStart(filler, day, from);
  return filler;
}

}  // namespace

void EpgPageCells::RegisterBaseDay() { RegisterGridTime(grids_, window_.base, 0, 0); }

void EpgPageCells::BeginChannel() {
  channelBegin_.clear();
  for (const auto& [day, cells] : days_) channelBegin_[day] = cells.size();
}

std::time_t EpgPageCells::GridDay(std::time_t day) const {
  return window_.mode == PageMode::kStation ? window_.base : day;
}

void EpgPageCells::Keep(PlacedCell placed) {
  if (!firstDay_ || placed.day < *firstDay_) firstDay_ = placed.day;
  if (!lastDay_ || placed.day > *lastDay_) lastDay_ = placed.day;
  SetListStart(placed.cell, placed.day, placed.start);
  const std::time_t gridDay = GridDay(placed.day);
  const int start = placed.start;
  const int end = start + DurationMinutesOf(placed.cell);
  RegisterGridTime(grids_, gridDay, start / 60, start % 60);
  if (!(start < kBroadcastDayStart && end >= kBroadcastDayStart)) RegisterGridTime(grids_, gridDay, end / 60, end % 60);
  days_[placed.day].push_back(std::move(placed.cell));
}

void EpgPageCells::AddFillers(std::uint64_t key, std::uint32_t span) {
  const std::time_t first = firstDay_.value_or(window_.base);
  if (window_.mode == PageMode::kEpg) {
    AddDayFillers(first, key, span);
    return;
  }
  const std::time_t last = lastDay_.value_or(window_.base);
  for (std::time_t day = first; day <= last; day = AddDays(day, 1)) AddDayFillers(day, key, span);
}

void EpgPageCells::AddDayFillers(std::time_t day, std::uint64_t key, std::uint32_t span) {
  DayCells& cells = days_[day];
  const auto begin = channelBegin_.find(day);
  const std::size_t from = begin == channelBegin_.end() ? 0 : begin->second;

  struct Span {
    int start;
    int end;
  };
  std::vector<Span> taken;
  for (std::size_t i = from; i < cells.size(); ++i) {
    const EpgEvent& cell = cells[i];
    if ((cell.displayFlags & kCellFiller) != 0 || CellServiceKey(cell) != key) continue;
    const int start = StartMinuteOf(cell);
    taken.push_back({start, start + DurationMinutesOf(cell)});
  }
  std::stable_sort(taken.begin(), taken.end(), [](const Span& a, const Span& b) { return a.start < b.start; });

  // Overlapping programmes (bad data) never move the walk back up.
  int current = window_.first;
  for (const Span& used : taken) {
    if (used.start > current) cells.push_back(MakeFiller(key, span, day, current, used.start));
    current = std::max(current, used.end);
  }
  if (current < window_.last) cells.push_back(MakeFiller(key, span, day, current, window_.last));
}

void EpgPageCells::MergeStationDays() {
  DayCells merged;
  for (auto& [day, cells] : days_) {
    if (cells.empty()) continue;
    dayColumns_.push_back(day);
    for (EpgEvent& cell : cells) {
      // Side by side with the same hour of the first column.
      SetListStart(cell, window_.base, StartMinuteOf(cell));
      merged.push_back(std::move(cell));
    }
  }
  days_.clear();
  if (!merged.empty()) days_[window_.base] = std::move(merged);
}

EpgPageLayout EpgPageCells::Finish() {
  EpgPageLayout layout;
  layout.window = window_;
  for (auto& [day, cells] : days_) {
    std::stable_sort(cells.begin(), cells.end(), CompareEventStart);
    layout.days[day] = DayEventList(std::make_move_iterator(cells.begin()), std::make_move_iterator(cells.end()));
  }
  layout.grids = std::move(grids_);
  layout.firstDay = firstDay_;
  layout.lastDay = lastDay_;
  layout.dayColumns = std::move(dayColumns_);
  if (window_.mode == PageMode::kStation) layout.columns = static_cast<int>(layout.dayColumns.size());
  return layout;
}

}  // namespace plimod
