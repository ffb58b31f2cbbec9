// A demo-sized store (forty channels, eight days of programmes of mixed
// lengths) drawn in each view: every programme in the window appears once,
// and each table lays out without holes or overlaps.

#include <gtest/gtest.h>

#include "epg_page_fixture.h"

namespace plimod::test {
namespace {

constexpr int kLengths[] = {30, 60, 25, 45, 90, 15, 120, 55, 5, 35};

class EpgPageFullTest : public EpgPageFixture {
 protected:
  void SetUp() override {
    EpgPageFixture::SetUp();
    std::uint16_t sid = 0x400;
    for (int n = 0; n < 8; ++n, sid += 0x10) AddChannel(TrKey(sid), n);
    for (int n = 0; n < 12; ++n) AddChannel(BsKey(static_cast<std::uint16_t>(0x100 + 0x10 * n)), n);
    for (int n = 0; n < 20; ++n) AddChannel(CsKey(static_cast<std::uint16_t>(0x200 + 0x10 * n)), n);
  }

  // Back-to-back programmes from 2025-03-01 04:00 for eight days.
  void AddChannel(std::uint64_t key, int seed) {
    ServiceMap[key] = L"チャンネル" + std::to_wstring(seed);
    std::int64_t minute = 4 * 60;
    std::uint16_t eventId = 1;
    for (int i = seed; minute < 8 * 1440 + 240; ++i, ++eventId) {
      const int length = kLengths[i % 10];
      const std::wstring title = (i % 7 == 0 ? L"hit " : L"") + std::to_wstring(key) + L"-" + std::to_wstring(eventId);
      EpgEvent event = Programme(key, eventId, 2025, 3, 1, 0, 0, length, title);
      const std::int64_t ticks = *SystemTimeToTicks(At(2025, 3, 1, 0, 0)) + minute * kTicksPerMinute;
      event.start = *TicksToSystemTime(ticks);
      event.SetShortText(L"説明 " + title);
      events_[key][eventId] = event;
      minute += length;
    }
  }

  // Programmes of the band that overlap [from, to) minutes after 2025-03-01 00:00.
  int ProgrammesIn(std::uint32_t band, std::int64_t from, std::int64_t to) const {
    const std::int64_t origin = *SystemTimeToTicks(At(2025, 3, 1, 0, 0));
    int count = 0;
    for (const auto& [key, list] : events_) {
      if ((BandMaskOf(key) & band) == 0) continue;
      for (const auto& [id, event] : list) {
        const std::int64_t start = (*SystemTimeToTicks(event.start) - origin) / kTicksPerMinute;
        if (start < to && start + event.durationSeconds / 60 > from) ++count;
      }
    }
    return count;
  }

  static int ProgrammeCells(const std::vector<TableCell>& cells) {
    int count = 0;
    for (const TableCell& cell : cells) {
      if (!cell.hourLabel && cell.text.find("<span class=title>") != std::string::npos) ++count;
    }
    return count;
  }
};

TEST_F(EpgPageFullTest, ProgrammeTableOfEachBandForADay) {
  const struct {
    const char* band;
    std::uint32_t mask;
    int channels;
  } bands[] = {{"1", kBandTerrestrial, 8}, {"10", kBandBs, 12}, {"100", kBandCs, 20}};
  for (const auto& band : bands) {
    const std::string page = Render(std::string("mode=epg&day=20250302&hour=5&range=24&page=all&band=") + band.band);
    const auto tables = DayTables(page);
    ASSERT_EQ(tables.size(), 1u);
    const auto cells = GridCells(tables[0]);
    EXPECT_EQ(ProgrammeCells(cells), ProgrammesIn(band.mask, 1440 + 300, 1440 + 1740)) << band.band;
    EXPECT_EQ(CheckTableShape(cells, RowCount(tables[0]), band.channels + 2, true), "") << band.band;
    EXPECT_TRUE(page.ends_with("</BODY></HTML>\n"));
  }
  // Ten channels a page by default.
  const auto firstPage = GridCells(DayTables(Render("mode=epg&day=20250302&hour=5&range=24&band=100"))[0]);
  EXPECT_EQ(CheckTableShape(firstPage, static_cast<int>(firstPage.back().row) + 1, 12, true), "");
}

TEST_F(EpgPageFullTest, StationWeek) {
  const std::string table = DayTables(Render("mode=station&chid=B0130H&day=20250301&range=7"))[0];
  const auto cells = GridCells(table);
  EXPECT_EQ(CheckTableShape(cells, RowCount(table), 9, true), "");
  // Every programme of the week once, and those crossing 29:00 once more
  // at the top of the next column.
  const std::int64_t origin = *SystemTimeToTicks(At(2025, 3, 1, 0, 0));
  int expected = 0;
  for (const auto& [id, event] : events_[BsKey(0x130)]) {
    const std::int64_t start = (*SystemTimeToTicks(event.start) - origin) / kTicksPerMinute;
    const std::int64_t end = start + event.durationSeconds / 60;
    if (start >= 300 + 7 * 1440 || end <= 300) continue;
    ++expected;
    for (int day = 1; day < 7; ++day) {
      if (start < 300 + day * 1440 && end > 300 + day * 1440) ++expected;
    }
  }
  EXPECT_EQ(ProgrammeCells(cells), expected);
  EXPECT_EQ(Count(table, "<td colspan=1 bgcolor=#80ffff align=center>"), 7);
}

TEST_F(EpgPageFullTest, SearchGridWeek) {
  Condition(1, L"hit");
  const std::string page = Render("day=20250301&range=7&detail=2");
  const auto tables = DayTables(page);
  ASSERT_EQ(tables.size(), 7u);
  int hits = 0;
  for (const std::string& table : tables) {
    const auto cells = GridCells(table);
    hits += ProgrammeCells(cells);
    EXPECT_EQ(CheckTableShape(cells, RowCount(table), 181, false), "");
  }
  int expected = 0;
  for (const auto& [key, list] : events_) {
    for (const auto& [id, event] : list) {
      // Those running into the first 05:00 are drawn cut at its top.
      const std::int64_t start = *SystemTimeToTicks(event.start);
      const std::int64_t end = start + event.durationSeconds * kTicksPerSecond;
      const bool inWeek = end > *SystemTimeToTicks(At(2025, 3, 1, 5, 0)) &&
                          start < *SystemTimeToTicks(At(2025, 3, 8, 5, 0));
      if (inWeek && event.Title().starts_with(L"hit ")) ++expected;
    }
  }
  EXPECT_EQ(hits, expected);
}

}  // namespace
}  // namespace plimod::test
