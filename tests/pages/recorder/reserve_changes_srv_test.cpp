// What the pages change on the reservation server, through the client the
// program links: a reservation just added (before any load brings it),
// one the kept list still shows without the server's id, and names of
// nothing the server holds. Each answer is checked against what the server
// then holds.

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <memory>
#include <string>

#include "pages/detail/program_detail_page.h"
#include "pages/mobile/mobile_page.h"
#include "epg/epg_busy_flag.h"
#include "pages/recorder/edcb_status_page.h"
#include "pages/recorder/reserve_add_page.h"
#include "pages/recorder/reserve_edit_page.h"
#include "pages/recorder/reserve_list_page.h"
#include "recorder/base/reserve_row.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lists/reserve_list_patch.h"
#include "tests/pages/recorder/srv_page_fixture.h"
#include "tests/support/eventually.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kService = ServiceKey(1, 2, 3);
constexpr const char* kPlain = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";

// What the server holds and the kept list shows after a deletion or a
// disable of the programme's one reservation.
struct Outcome {
  bool (*server)(const FakeSrvState&);
  bool (*kept)(const ReserveLists&);
};
const ReserveEntry* KeptEntry(const ReserveLists& lists) { return FindReserve(lists, kService, 0x11); }
constexpr Outcome kGone{[](const FakeSrvState& s) { return s.reservations.empty(); },
                        [](const ReserveLists& l) { return KeptEntry(l) == nullptr; }};
constexpr Outcome kDisabled{
    [](const FakeSrvState& s) { return s.reservations.size() == 1 && s.reservations[0].setting.recordMode == 5; },
    [](const ReserveLists& l) { return KeptEntry(l) != nullptr && KeptEntry(l)->Disabled(); }};

// One way a page changes the reservation named `edcid`, what it answers
// when the server did it and when the server holds nothing of that name.
struct PageChange {
  const char* what;
  std::function<std::string(const std::string& edcid)> request;  // the query
  CommandPage page;
  std::string done;     // the answer's start, or its whole text/plain body
  std::string refused;  // text/plain body
  Outcome changed;
};

class ReserveChangesSrvTest : public SrvRecorderPageTest {
 protected:
  void SetUp() override {
    SrvRecorderPageTest::SetUp();
    // The reservation text the edit page reads is the server's own.
    srv_.server().Stop();
    srv_.server().KeepReservationsIn(ProgramTxt().parent_path().string());
    ASSERT_TRUE(srv_.Start());
    AddService(kService, L"局");
    AddEvent(MakeEvent(kService, 0x11, At(2025, 3, 2, 21, 0), 30, L"番組"));
    AddEvent(MakeEvent(kService, 0x12, At(2025, 3, 2, 21, 15), 30, L"裏番組"));
  }
  void TearDown() override {
    StopReserveListRefresh();
    SrvRecorderPageTest::TearDown();
  }

  std::vector<PageChange> Changes() const {
    const std::string token = token_;
    auto mobile = [](ReplyWriter& out, RequestParameters&, IniFile&) { return ServeMobilePage(out); };
    return {
        {"the detail page's delete link",
         [token](const std::string& id) {
           return "cmd=epgtimer&delete=1&confirm=2&" + id + "=1&silent=1&token=" + token;
         },
         ServeReserveListPage, std::string(kPlain) + "削除しました\n", "エラー\n予約サーバで削除できませんでした\n", kGone},
        {"the list's delete",
         [token](const std::string& id) { return "cmd=epgtimer&confirm=2&delete=1&" + id + "=1&token=" + token; },
         ServeReserveListPage, "HTTP/1.0 200 OK\nContent-Type: text/html", "エラー\n予約サーバで削除できませんでした\n",
         kGone},
        {"the list's disable",
         [token](const std::string& id) { return "cmd=epgtimer&confirm=2&invalid=1&" + id + "=1&token=" + token; },
         ServeReserveListPage, "HTTP/1.0 200 OK\nContent-Type: text/html", "エラー\n予約サーバで無効にできませんでした\n",
         kDisabled},
        {"the detail page's disable link",
         [token](const std::string& id) { return "cmd=edc_edit&edcid=" + id + "&invalid=1&token=" + token; },
         ServeReserveEditPage, std::string(kPlain) + "無効にしました\n", "エラー\n", kDisabled},
        {"the phone list's delete", [](const std::string& id) { return "c=n&f=2&edcid=" + id + "&d=1"; }, mobile,
         "HTTP/1.0 200 OK\nContent-Type: text/html", "エラー\n予約サーバで削除できませんでした\n", kGone},
    };
  }

  std::string Add(std::uint16_t event) {
    char query[64];
    std::snprintf(query, sizeof query, "cmd=edc&sid=%llx&eid=%x&silent=1", static_cast<unsigned long long>(kService),
                  event);
    return Run(ServeReserveAddPage, query);
  }
  std::string DetailPage() {
    return Run([](ReplyWriter& out, RequestParameters& params,
                  IniFile&) { return ServeProgramDetailPage(out, params, kService, 0x11); },
               "cmd=detail");
  }
  // Runs the page as the dispatcher does, holding the EPG busy flag, with a
  // slow server; true when the flag was free whenever the server had a
  // command of the page to answer.
  bool FlagFreeWhileTheServerAnswers(const CommandPage& page, const std::string& query) {
    srv_.server().DelayEveryReply(50);
    const std::size_t before = srv_.server().Requests().size();
    std::atomic<bool> answered{false};
    std::thread worker([&] {
      const PageEpgBusyHold hold(0);
      Run(page, query);
      answered = true;
    });
    bool free = true;
    std::size_t seen = before;
    while (!answered) {
      const std::size_t now = srv_.server().Requests().size();
      if (now != seen && !answered) free = free && !EpgBusyFlag.IsBusy();
      seen = now;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    worker.join();
    srv_.server().DelayEveryReply(0);
    return free && seen > before;
  }
  // The name of the reservation in the detail page's delete link.
  static std::string NameInDeleteLink(const std::string& page) {
    const std::size_t at = page.find("&confirm=2&E_");
    if (at == std::string::npos) return "";
    return page.substr(at + 11, page.find('=', at + 11) - (at + 11));
  }
};

TEST_F(ReserveChangesSrvTest, AReservationJustAddedIsChangedByEveryPageOnTheServer) {
  for (const PageChange& change : Changes()) {
    FakeSrvState fresh;
    fresh.nextReserveId = 7;
    srv_.server().SetState(fresh);
    PublishReserveLists(std::make_shared<ReserveLists>());
    ASSERT_TRUE(Contains(Add(0x11), "登録しました<BR>\n")) << change.what;
    // What the pages show right after the add, before any load.
    const std::string name = NameInDeleteLink(DetailPage());
    EXPECT_EQ(name, SrvEdcidOf(0x11, 7)) << "the pages show the new reservation without the server's id";
    const std::string answer = Run(change.page, change.request(name));
    EXPECT_EQ(answer.substr(0, change.done.size()), change.done) << change.what;
    EXPECT_TRUE(change.changed.server(srv_.server().State())) << change.what << " answered but the server holds it unchanged";
    EXPECT_TRUE(change.changed.kept(*CurrentReserveLists())) << change.what << " does not show in the kept list";
  }
}

TEST_F(ReserveChangesSrvTest, ANameWithoutTheServersIdActsOnTheProgrammesReservation) {
  for (const PageChange& change : Changes()) {
    FakeSrvState state;
    state.reservations = {SrvReservation(5, 0x11)};
    srv_.server().SetState(state);
    // The kept list as an add whose look at the server failed leaves it.
    auto lists = std::make_shared<ReserveLists>();
    lists->reserveList.push_back(ReserveEntryOfLine({}, ProgramKey(0x11, kService), kReserveIdNotKnown));
    PublishReserveLists(lists);
    const std::string answer = Run(change.page, change.request(SrvEdcidOf(0x11, kReserveIdNotKnown)));
    EXPECT_EQ(answer.substr(0, change.done.size()), change.done) << change.what;
    EXPECT_TRUE(change.changed.server(srv_.server().State())) << change.what;
    EXPECT_TRUE(change.changed.kept(*CurrentReserveLists())) << change.what << " does not show in the kept list";
  }
}

TEST_F(ReserveChangesSrvTest, ANameOfNothingTheServerHoldsIsAnsweredAsRefused) {
  for (const PageChange& change : Changes()) {
    FakeSrvState state;
    state.reservations = {SrvReservation(5, 0x11)};
    srv_.server().SetState(state);
    // Another programme without an id, and an id the server does not hold.
    for (const std::string& name : {SrvEdcidOf(0x19, kReserveIdNotKnown), SrvEdcidOf(0x11, 9)}) {
      EXPECT_EQ(Run(change.page, change.request(name)), kPlain + change.refused) << change.what << " " << name;
      EXPECT_EQ(srv_.server().State().reservations.size(), 1u);
      EXPECT_EQ(srv_.server().State().reservations[0].setting.recordMode, state.reservations[0].setting.recordMode);
    }
  }
}

TEST_F(ReserveChangesSrvTest, AnAddThatClashesWarnsFromTheServersVerdict) {
  srv_.server().PlanOnTuners(1);
  const std::string warning = "録画できない予約があります";
  EXPECT_FALSE(Contains(Add(0x11), warning));
  // 21:15 to 21:45 against 21:00 to 21:30 on the one tuner.
  EXPECT_TRUE(Contains(Add(0x12), warning));
  EXPECT_TRUE(IsUnrecordableProgram(*CurrentReserveLists(), ProgramKey(0x12, kService)));
  EXPECT_FALSE(IsUnrecordableProgram(*CurrentReserveLists(), ProgramKey(0x11, kService)));
}

TEST_F(ReserveChangesSrvTest, AnAddGoesRightAfterTheCommandInFlightOfTheListsLoad) {
  ASSERT_TRUE(StartReserveListRefresh(Settings()));
  (void)ReserveListToShow(Settings());
  srv_.server().DelayEveryReply(300);
  const std::size_t before = CommandsOf(srv_.server().Requests()).size();
  ReserveListChanged();
  ASSERT_TRUE(Eventually([&] { return CommandsOf(srv_.server().Requests()).size() > before; }));
  EXPECT_TRUE(Contains(Add(0x11), "登録しました<BR>\n"));
  ASSERT_TRUE(Eventually([&] { return CommandsOf(srv_.server().Requests()).size() >= before + 5; }));
  std::vector<std::uint32_t> order = CommandsOf(srv_.server().Requests());
  order.erase(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(before));
  order.resize(5);
  // The load's tuners, the page's look, add and look for the new id, then
  // the load goes on.
  const std::vector<std::uint32_t> newer = {1016, 1011, 1013, 1011, 1011};
  const std::vector<std::uint32_t> older = {16, 10, 13, 10, 10};
  EXPECT_EQ(order, SrvListsRecordingResults() ? newer : older);
}

TEST_F(ReserveChangesSrvTest, PagesLetTheGuideGoBeforeTheyAskTheServer) {
  FakeSrvState state;
  state.reservations = {SrvReservation(5, 0x11), SrvReservation(6, 0x12)};
  srv_.server().SetState(state);
  const std::string token = "&token=" + token_;
  const std::string unnumbered = SrvEdcidOf(0x11, kReserveIdNotKnown);
  const struct {
    CommandPage page;
    std::string query;
  } pages[] = {
      {ServeReserveListPage, "cmd=epgtimer"},
      {ServeReserveListPage, "cmd=epgtimer&confirm=2&invalid=1&" + SrvEdcidOf(0x12, 6) + "=1" + token},
      {ServeReserveEditPage, "cmd=edc_edit&edcid=" + unnumbered},
      {ServeReserveEditPage, "cmd=edc_edit&invalid=1&edcid=" + SrvEdcidOf(0x11, 5) + token},
      {ServeReserveEditPage, "cmd=edc_edit&spc=1&edc_title=T&edc_Y=2025&edc_M=3&edc_D=2&edc_h=21&edc_m=0&edcid=" +
                                 SrvEdcidOf(0x11, 5) + token},
      {ServeEpgDataCapStatusPage, "cmd=edcb"},
  };
  for (const auto& [page, query] : pages) {
    EXPECT_TRUE(FlagFreeWhileTheServerAnswers(page, query)) << query;
  }
}

}  // namespace
}  // namespace plimod::test
