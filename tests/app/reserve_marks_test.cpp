// The programme table over the published reservation lists: which
// programmes are drawn reserved, disabled or unrecordable, and that pages
// drawn beside a reload of the lists stay whole.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "app/reserve_list_hooks.h"
#include "recorder/lists/reserve_list_load.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/guide/epg_page/epg_page_fixture.h"

namespace plimod::test {
namespace {

ReserveEntry Entry(int reserveId, const EpgEvent& event, int recordMode = 1) {
  ReserveEntry entry;
  entry.reserveId = reserveId;
  entry.serviceKey = ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
  entry.eventId = event.eventId;
  entry.recordMode = recordMode;
  return entry;
}

class ReserveMarksTest : public EpgPageFixture {
 protected:
  void SetUp() override {
    EpgPageFixture::SetUp();
    ConnectReserveListMarks();
    for (int i = 0; i < 5; ++i) {
      events_.push_back(Programme(TrKey(0x400), static_cast<std::uint16_t>(10 + i), 2025, 3, 4, 19 + i, 0, 60,
                                  L"prog" + std::to_wstring(i)));
      Add(events_.back());
    }
  }
  void TearDown() override {
    PublishReserveLists(nullptr);
    EpgPageFixture::TearDown();
  }

  // prog0 reserved on a named tuner with a comment, prog1 disabled, prog2
  // in the unrecordable list, prog3 also reported unrecordable by the
  // server, prog4 not reserved.
  std::shared_ptr<ReserveLists> MarkedLists() const {
    auto lists = std::make_shared<ReserveLists>();
    ReserveEntry labelled = Entry(1, events_[0]);
    labelled.tunerLabel = L"BonDriver_A(1)";
    labelled.comment = "\x83\x52\x83\x81\x83\x93\x83\x67<b>";  // "コメント<b>" in code page 932
    lists->reserveList = {labelled, Entry(2, events_[1], kEntryRecordModeDisabled), Entry(3, events_[2]),
                          Entry(4, events_[3])};
    lists->reserveList[3].unrecordable = 1;
    lists->unrecordableList = {lists->reserveList[2].ProgramKey(), lists->reserveList[3].ProgramKey()};
    return lists;
  }

  // The table as the worker draws it; nothing shared is written, so four
  // threads may draw at once.
  static std::vector<TableCell> Cells() {
    RequestParameters params;
    params.Reset("mode=epg&day=20250304&hour=19&range=6");
    const PageView view = ReadViewParameters(params, PageMode::kEpg, LocalNow());
    std::string page;
    ReplyWriter out(&page);
    ServeEpgPage(out, params, Settings(), view);
    const auto tables = DayTables(page);
    return tables.empty() ? std::vector<TableCell>{} : GridCells(tables[0]);
  }

  std::vector<EpgEvent> events_;
};

TEST_F(ReserveMarksTest, ReservedDisabledAndUnrecordableProgrammesGetTheirMarks) {
  Set(L"EPGDATACAP", L"ADDTUNERNAME", L"1");
  PublishReserveLists(MarkedLists());
  const auto cells = Cells();
  const std::string reserved = CellWith(cells, "prog0").text;
  EXPECT_NE(reserved.find(" class=resv>"), std::string::npos);
  EXPECT_NE(reserved.find("<td width=0pt>"), std::string::npos);
  EXPECT_NE(reserved.find("BonDriver_A(1)"), std::string::npos);
  EXPECT_NE(reserved.find("<span class=detail>コメント&lt;b&gt;</span>"), std::string::npos);
  EXPECT_NE(CellWith(cells, "prog1").text.find(" class=gray>"), std::string::npos);
  EXPECT_NE(CellWith(cells, "prog2").text.find(" class=badr>"), std::string::npos);
  EXPECT_NE(CellWith(cells, "prog3").text.find(" class=warn>"), std::string::npos);
  const std::string plain = CellWith(cells, "prog4").text;
  EXPECT_NE(plain.find(" class=norm>"), std::string::npos);
  EXPECT_NE(plain.find("<td width=2pt>"), std::string::npos);

  // A new list takes effect with the next page.
  PublishReserveLists(nullptr);
  EXPECT_NE(CellWith(Cells(), "prog0").text.find(" class=norm>"), std::string::npos);
}

// A reservation line of the text-file recorder for the event.
std::string ProgramLine(const EpgEvent& event, const std::string& start, int recordMode) {
  return "2025/03/04\t" + start + "\t01:00:00\ttitle\tstation\t" + std::to_string(event.originalNetworkId) + "\t" +
         std::to_string(event.transportStreamId) + "\t" + std::to_string(event.serviceId) + "\t" +
         std::to_string(event.eventId) + "\t1\t0\t1\t" + std::to_string(recordMode) + "\t0\t0\t0\t\r\n";
}

TEST_F(ReserveMarksTest, PagesDrawnWhileTheListsAreReloadedStayWhole) {
  // One recorder with a single tuner and three reservations, two of them
  // at once; another with none.
  TempFolder folder("plimod-marks");
  WriteFileBytes(folder.File("Program.txt"), ProgramLine(events_[0], "19:00:00", 1) +
                                                 ProgramLine(events_[1], "20:00:00", 5) +
                                                 ProgramLine(events_[2], "21:00:00", 1) +
                                                 ProgramLine(events_[3], "21:00:00", 1));
  IniFile marked;
  marked.SetString(L"EPGDATACAP", L"ENABLE", L"1");
  marked.SetString(L"EPGDATACAP", L"PROGRAMTXT", folder.File("Program.txt").wstring());
  marked.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"1,0,0");
  IniFile empty;
  empty.SetString(L"EPGDATACAP", L"ENABLE", L"1");
  empty.SetString(L"EPGDATACAP", L"PROGRAMTXT", folder.File("none/Program.txt").wstring());
  ASSERT_EQ(LoadReserveList(marked)->reserveList.size(), 4u);
  EXPECT_NE(CellWith(Cells(), "prog3").text.find(" class=badr>"), std::string::npos);

  std::atomic<bool> stop{false};
  std::atomic<int> reloads{0};
  std::thread reloader([&] {
    while (!stop.load()) {
      LoadReserveList(reloads.fetch_add(1) % 2 == 0 ? empty : marked);
    }
  });
  std::vector<std::thread> readers;
  std::atomic<int> broken{0};
  for (int r = 0; r < 4; ++r) {
    readers.emplace_back([&] {
      for (int page = 0; page < 200; ++page) {
        const auto cells = Cells();
        if (cells.empty()) ++broken;
        for (const TableCell& cell : cells) {
          const bool unreserved = cell.text.find("prog4") != std::string::npos;
          if (unreserved && cell.text.find(" class=norm>") == std::string::npos) ++broken;
        }
      }
    });
  }
  for (auto& reader : readers) reader.join();
  stop = true;
  reloader.join();
  EXPECT_EQ(broken.load(), 0);
  EXPECT_GT(reloads.load(), 1);
}

}  // namespace
}  // namespace plimod::test
