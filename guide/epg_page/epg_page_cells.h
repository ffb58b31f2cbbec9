#pragma once
// The day lists of a programme-table page while they are being filled.
// Cells are appended and put in drawing order once at the end: by start,
// equal starts in the order they came (channel order, then day order),
// which is what inserting each cell after every cell that does not start
// later gives.

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "guide/epg_page/epg_page_layout.h"

namespace plimod {

class EpgPageCells {
 public:
  explicit EpgPageCells(const EpgPageWindow& window) : window_(window) {}

  const EpgPageWindow& Window() const { return window_; }

  // The base day's row grid exists even when nothing is drawn.
  void RegisterBaseDay();
  // Cells kept from here on belong to the next channel.
  void BeginChannel();
  // Adds a placed cell to its day list and registers its start and end in
  // the row grid.
  void Keep(PlacedCell placed);
  // Fills the gaps of the current channel `key` between the window's top
  // and bottom on every day from the first to the last used (mode "epg":
  // the base day only) with filler cells `span` columns wide.
  void AddFillers(std::uint64_t key, std::uint32_t span);
  // Mode "station": the day lists with cells become the columns; their
  // cells move into the first of them.
  void MergeStationDays();
  EpgPageLayout Finish();

 private:
  using DayCells = std::vector<EpgEvent>;

  void AddDayFillers(std::time_t day, std::uint64_t key, std::uint32_t span);
  std::time_t GridDay(std::time_t day) const;

  EpgPageWindow window_;
  std::map<std::time_t, DayCells> days_;
  RowGridMap grids_;
  std::optional<std::time_t> firstDay_;
  std::optional<std::time_t> lastDay_;
  std::map<std::time_t, std::size_t> channelBegin_;  // first cell of the current channel per day
  std::vector<std::time_t> dayColumns_;
};

}  // namespace plimod
