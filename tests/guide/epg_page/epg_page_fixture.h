#pragma once
// Renders the programme-table page into a string for a query, over a store
// filled by hand, and checks the shape of its day tables the way a browser
// lays them out (rowspans and colspans on a grid of slots).

#include <sstream>
#include <string>
#include <vector>

#include "guide/epg_page/epg_page.h"
#include "guide/epg_page/epg_page_hooks.h"
#include "tests/guide/guide_fixture.h"
#include "guide/page_state.h"
#include "server/reply_writer.h"
#include "tests/support/search_form.h"

namespace plimod::test {

// An event from `hour`:`minute` of the day for `minutes`; hour 24 and later
// roll into the next days.
inline EpgEvent Programme(std::uint64_t key, std::uint16_t eventId, int year, int month, int day, int hour,
                          int minute, int minutes, const std::wstring& title) {
  SystemTime start = At(year, month, day, 0, 0);
  const std::int64_t ticks = *SystemTimeToTicks(start) + (hour * 60 + minute) * kTicksPerMinute;
  EpgEvent event = MakeEvent(key, eventId, *TicksToSystemTime(ticks), minutes, title);
  event.SetNormalizedTitle(SearchFormOf(title));
  return event;
}

// One outer cell of a day table.
struct TableCell {
  int row = 0;
  int rowspan = 1;
  int colspan = 1;
  bool hourLabel = false;
  std::string text;  // what follows the cell's opening tag, up to the next cell
};

class EpgPageFixture : public GuideFixture {
 protected:
  void TearDown() override {
    SetEpgPageHooks({});
    GuideFixture::TearDown();
  }

  std::string Render(const std::string& query) {
    RequestParameters params;
    params.Reset(query);
    const PageMode mode = PageModeOf(params.Value("mode"));
    PageView view = ReadViewParameters(params, mode, LocalNow());
    MarkSwitch = view.mark;
    std::string page;
    ReplyWriter out(&page);
    EXPECT_EQ(ServeEpgPage(out, params, Settings(), view), 0);
    return page;
  }

  void Add(const EpgEvent& event, const std::wstring& serviceName = L"") {
    const std::uint64_t key = ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
    if (!serviceName.empty() || ServiceMap.find(key) == ServiceMap.end()) {
      ServiceMap[key] = serviceName.empty() ? L"service" : serviceName;
    }
    AddEvent(event);
  }

  void Condition(int number, const std::wstring& word) {
    wchar_t section[16];
    std::swprintf(section, 16, L"SEARCH_%02d", number);
    Set(section, L"ENABLE", L"1");
    Set(section, L"WORD", word);
    Set(section, L"SEARCH_TITLE", L"1");
  }
};

// The day tables of a page, in order.
inline std::vector<std::string> DayTables(const std::string& page) {
  std::vector<std::string> tables;
  const std::string open = "<TABLE bgcolor=#202020";
  for (std::size_t at = page.find(open); at != std::string::npos; at = page.find(open, at + 1)) {
    const std::size_t end = page.find("</TBODY></TABLE>\n", at);
    tables.push_back(page.substr(at, end - at));
  }
  return tables;
}

// The outer cells of the grid rows (those after the title and header rows).
inline std::vector<TableCell> GridCells(const std::string& table) {
  std::vector<TableCell> cells;
  int row = -1;
  std::size_t at = 0;
  while (true) {
    const std::size_t rowStart = table.find("<TR>", at);
    if (rowStart == std::string::npos) break;
    const std::size_t rowEnd = table.find("</TR>\n", rowStart);
    const std::string text = table.substr(rowStart, rowEnd - rowStart);
    at = rowEnd + 1;
    if (text.rfind("<TR><TD></TD>", 0) == 0) continue;  // title and header rows
    ++row;
    std::vector<std::pair<std::size_t, TableCell>> found;
    for (std::size_t pos = 0; (pos = text.find(" rowspan=", pos)) != std::string::npos; ++pos) {
      const bool label = pos >= 4 && text.compare(pos - 4, 4, "\t<TD") == 0;
      const bool cell = pos >= 4 && text.compare(pos - 4, 4, "\t<td") == 0;
      if (!label && !cell) continue;
      TableCell found_cell;
      found_cell.row = row;
      found_cell.hourLabel = label;
      std::size_t end = 0;
      found_cell.rowspan = std::stoi(text.substr(pos + 9), &end);
      const std::size_t after = pos + 9 + end;
      if (text.compare(after, 9, " colspan=") == 0) found_cell.colspan = std::stoi(text.substr(after + 9));
      found.emplace_back(pos - 4, found_cell);
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
      const std::size_t from = found[i].first;
      const std::size_t to = i + 1 < found.size() ? found[i + 1].first : text.size();
      found[i].second.text = text.substr(from, to - from);
      cells.push_back(found[i].second);
    }
  }
  return cells;
}

inline int RowCount(const std::string& table) {
  int rows = 0;
  for (std::size_t at = table.find("<TR>"); at != std::string::npos; at = table.find("<TR>", at + 1)) {
    if (table.compare(at, 13, "<TR><TD></TD>") != 0) ++rows;
  }
  return rows;
}

// Places the cells as a browser does (each in the first free slot of its
// row) and reports overlaps, cells past `width` or rows past the table, and,
// when `full`, slots left empty. Empty when the table is sound.
inline std::string CheckTableShape(const std::vector<TableCell>& cells, int rows, int width, bool full) {
  std::vector<std::vector<int>> slots(static_cast<std::size_t>(rows), std::vector<int>(static_cast<std::size_t>(width), 0));
  std::ostringstream problems;
  std::vector<int> cursor(static_cast<std::size_t>(rows), 0);
  for (const TableCell& cell : cells) {
    auto& row = slots[static_cast<std::size_t>(cell.row)];
    int& c = cursor[static_cast<std::size_t>(cell.row)];
    while (c < width && row[static_cast<std::size_t>(c)] != 0) ++c;
    if (c + cell.colspan > width) {
      problems << "row " << cell.row << ": cell past the width at column " << c << "\n";
      continue;
    }
    if (cell.row + cell.rowspan > rows) problems << "row " << cell.row << ": rowspan past the table\n";
    for (int r = cell.row; r < std::min(rows, cell.row + cell.rowspan); ++r) {
      for (int k = c; k < c + cell.colspan; ++k) {
        int& slot = slots[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
        if (slot != 0) problems << "row " << r << " column " << k << ": cells overlap\n";
        slot = 1;
      }
    }
    c += cell.colspan;
  }
  if (full) {
    for (int r = 0; r < rows; ++r) {
      for (int k = 0; k < width; ++k) {
        if (slots[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)] == 0) {
          problems << "row " << r << " column " << k << ": empty\n";
        }
      }
    }
  }
  return problems.str();
}

inline int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

// The cell whose text contains `part` (first one); a default cell when none.
inline TableCell CellWith(const std::vector<TableCell>& cells, const std::string& part) {
  for (const TableCell& cell : cells) {
    if (!cell.hourLabel && cell.text.find(part) != std::string::npos) return cell;
  }
  ADD_FAILURE() << "no cell with " << part;
  return {};
}

}  // namespace plimod::test
