#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "epg/epg_busy_flag.h"
#include "epg/epg_folder.h"
#include "guide/dispatcher.h"
#include "guide/page_state.h"
#include "guide_fixture.h"

namespace plimod::test {
namespace {

class DispatcherTest : public GuideFixture {
 protected:
  void SetUp() override {
    GuideFixture::SetUp();
    SetEpgBusyIndicator([this](bool busy) { busyShown_.push_back(busy); });
  }
  void TearDown() override {
    SetEpgBusyIndicator(nullptr);
    GuideFixture::TearDown();
  }

  // Runs one request of this host, as the worker does.
  std::string Request(const std::string& query, const std::string& cookie = "") {
    RequestContext context;
    context.host = "here:8080";
    context.referer = "http://here:8080/";
    context.cookie = cookie;
    ScopedRequestContext scope(context);
    ParseRequestText(query);
    std::string reply;
    ReplyWriter out(&reply);
    EXPECT_EQ(HandleRequest(out), 0);
    params_ = context.params;
    return reply;
  }

  void RegisterRecordingPages(int result) {
    for (const char* cmd : kPageCommands) {
      SetCommandPage(cmd, [this, cmd, result](ReplyWriter& out, RequestParameters&, IniFile&) {
        ran_.push_back(cmd);
        if (result != 0) out.Send("Content-Type: text/html\n\npage\n");
        return result;
      });
    }
  }

  static constexpr const char* kPageCommands[] = {"config", "ignorech", "search",   "edc",   "edc_edit",
                                                  "epgtimer", "edcb",   "iepgch",   "chsort", "autore",
                                                  "linesrch", "genre",  "edcpattern", "syoboialert"};
  std::vector<std::string> ran_;
  std::vector<bool> busyShown_;
  RequestParameters params_;
};

TEST_F(DispatcherTest, EveryPageCommandReachesItsPage) {
  RegisterRecordingPages(1);
  for (const char* cmd : kPageCommands) {
    ran_.clear();
    EXPECT_EQ(Request(std::string("cmd=") + cmd), "Content-Type: text/html\n\npage\n") << cmd;
    EXPECT_EQ(ran_, std::vector<std::string>{cmd});
  }
  EXPECT_EQ(busyShown_.size(), 2 * std::size(kPageCommands));
  EXPECT_FALSE(busyShown_.back());
  EXPECT_FALSE(EpgBusyFlag.IsBusy());
}

TEST_F(DispatcherTest, PagesNotYetRegisteredAnswerShortly) {
  EXPECT_EQ(Request("cmd=genre"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nこのページはまだ使えません (genre)\n");
  EXPECT_EQ(Request("sid=7fe07fe00400&eid=1"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nこのページはまだ使えません (detail)\n");
}

TEST_F(DispatcherTest, SavedFormsRedirectWithTheEncodedView) {
  int timerArmed = 0;
  DispatcherJobs jobs;
  jobs.setSyoboiLoadTimer = [&timerArmed] { ++timerArmed; };
  SetDispatcherJobs(jobs);
  RegisterRecordingPages(0);
  EXPECT_EQ(Request("cmd=config&mode=epg&band=10&token=x"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?mode=epg&band=10\n\n");
  EXPECT_EQ(timerArmed, 1);
  EXPECT_EQ(Request("cmd=ignorech&mode=station&chid=T0400H"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=config&mode=station&chid=T0400H\n\n");
  EXPECT_EQ(Request("cmd=iepgch&day=20250301"), "HTTP/1.0 302 Moved Temporarily\nLocation: /?day=20250301\n\n");
  EXPECT_EQ(timerArmed, 1);
  // A value with a line break stays inside the one Location line.
  EXPECT_EQ(Request("cmd=config&mode=x%0D%0ASet-Cookie:%20a=b"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?mode=x%0D%0ASet-Cookie%3A%20a%3Db\n\n");
  // A page that did not save answers alone.
  RegisterRecordingPages(1);
  EXPECT_EQ(Request("cmd=config"), "Content-Type: text/html\n\npage\n");
  EXPECT_EQ(timerArmed, 2);
}

TEST_F(DispatcherTest, RestartWritesNothingAndUnknownCommandsShowTheTable) {
  EXPECT_EQ(Request("cmd=restart"), "");
  const std::string table = Request("cmd=nonsense&mode=epg");
  EXPECT_EQ(table.rfind("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\nSet-Cookie: defepg=", 0), 0u)
      << table;
  EXPECT_EQ(Request("cmd=log").rfind("HTTP/1.0 200 OK\nContent-Type: text/plain;\n\n", 0), 0u);
}

TEST_F(DispatcherTest, XidNamesTheProgramme) {
  std::uint64_t key = 0;
  std::uint32_t eid = 0;
  SetProgramDetailPage([&](ReplyWriter& out, RequestParameters&, std::uint64_t k, std::uint32_t e) {
    key = k;
    eid = e;
    out.Send("detail");
    return 0;
  });
  EXPECT_EQ(Request("xid=1a2b7fe07fe00400&sid=1&eid=2"), "detail");
  EXPECT_EQ(key, 0x7fe07fe00400u);
  EXPECT_EQ(eid, 0x1a2bu);
  EXPECT_EQ(Request("sid=7fe07fe00401&eid=ff"), "detail");
  EXPECT_EQ(key, 0x7fe07fe00401u);
  EXPECT_EQ(eid, 0xffu);
  // Too short to carry a service: the table.
  EXPECT_NE(Request("xid=12").find("Set-Cookie: defsearch="), std::string::npos);
  EXPECT_EQ(params_.Value("eid"), "12");
  EXPECT_EQ(params_.Value("sid"), "");
  EXPECT_NE(Request("xid=1a2b").find("Set-Cookie:"), std::string::npos);
}

TEST_F(DispatcherTest, BusyStoreAnswers503AfterTheBoundedWait) {
  int sleeps = 0;
  SetSleeperForTesting([&sleeps](std::uint32_t ms) {
    EXPECT_EQ(ms, 100u);
    ++sleeps;
  });
  bool pageRan = false;
  SetCommandPage("genre", [&pageRan](ReplyWriter&, RequestParameters&, IniFile&) {
    pageRan = true;
    return 1;
  });
  ASSERT_TRUE(EpgBusyFlag.TryAcquire());  // another holder: a reload
  const std::string reply = Request("cmd=genre");
  EXPECT_TRUE(EpgBusyFlag.IsBusy());
  EpgBusyFlag.Release();
  EXPECT_EQ(reply,
            "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain; charset=utf-8\n\n"
            "503 Service Unavailable\n\nEpgデータ読み込み中\n再読込してください");
  EXPECT_EQ(sleeps, 9);
  EXPECT_FALSE(pageRan);
  EXPECT_TRUE(busyShown_.empty());
}

TEST_F(DispatcherTest, APageThatLetsTheFlagGoLeavesItToTheNextHolder) {
  bool reloadTookIt = false;
  SetCommandPage("edc", [&reloadTookIt](ReplyWriter&, RequestParameters&, IniFile&) {
    LetGoOfEpgBusyFlag();
    LetGoOfEpgBusyFlag();
    reloadTookIt = EpgBusyFlag.TryAcquire();  // a reload while the page waits on a peer
    return 1;
  });
  Request("cmd=edc");
  EXPECT_TRUE(reloadTookIt);
  EXPECT_TRUE(EpgBusyFlag.IsBusy()) << "the dispatcher let go of the reload's flag";
  EpgBusyFlag.Release();
  EXPECT_EQ(busyShown_, (std::vector<bool>{true, false}));
  // Outside a page there is nothing to let go.
  ASSERT_TRUE(EpgBusyFlag.TryAcquire());
  LetGoOfEpgBusyFlag();
  EXPECT_TRUE(EpgBusyFlag.IsBusy());
  EpgBusyFlag.Release();
}

TEST_F(DispatcherTest, CookieFillsWhatTheUrlLeavesOut) {
  Request("mode=epg", "defepg=range%3D12%26band%3D10");
  EXPECT_EQ(CurrentPageState().range, 12);
  EXPECT_EQ(CurrentPageState().band, 0x10u);
  Request("mode=epg&range=3", "other=1; defepg=range%3D12%26band%3D10");
  EXPECT_EQ(CurrentPageState().range, 3);
  EXPECT_EQ(CurrentPageState().band, 0x10u);
  // Another mode's cookie, a longer name and a bare name do not count.
  Request("mode=epg", "defsearch=range%3D2; xdefepg=range%3D9; defepg");
  EXPECT_EQ(CurrentPageState().range, 6);
  EXPECT_EQ(CurrentPageState().band, 0x1u);
  // Nothing of one request's cookie stays for the next.
  Request("", "defsearch=range%3D2%26band%3D100");
  EXPECT_EQ(CurrentPageState().range, 2);
  EXPECT_EQ(CurrentPageState().band, 0x100u);
  Request("");
  EXPECT_EQ(CurrentPageState().range, 3);
  EXPECT_EQ(CurrentPageState().band, 0x111u);
}

TEST_F(DispatcherTest, EveryTableCarriesAYearLongCookie) {
  // Now is 1 March 2025 12:00 JST = 03:00 UTC.
  const std::string reply = Request("mode=epg&range=12&band=10");
  EXPECT_NE(reply.find("Content-Type: text/html; charset=utf-8\n"
                       "Set-Cookie: defepg=range%3D12%26band%3D10; expires=Sun, 01-Mar-2026 03:00:00 GMT\n\n"),
            std::string::npos)
      << reply;
  EXPECT_NE(Request("mode=station&range=30").find("Set-Cookie: defstation=range%3D7; expires="), std::string::npos);
  EXPECT_NE(Request("detail=0").find("Set-Cookie: defsearch=range%3D3%26band%3D111; "), std::string::npos);
}

TEST_F(DispatcherTest, MarkAndDetailAreResetForEachTable) {
  Request("mark=1&detail=2");
  EXPECT_EQ(MarkSwitch.load(), 1);
  EXPECT_EQ(CurrentPageState().detail, 2);
  Request("mark=2&detail=5");
  EXPECT_EQ(MarkSwitch.load(), 0);
  EXPECT_EQ(CurrentPageState().detail, 1);
  Request("");
  EXPECT_EQ(CurrentPageState().detail, 1);
}

TEST_F(DispatcherTest, EpgReloadRunsTheJobsAndShowsTheNewestFileTime) {
  std::vector<std::string> ran;
  DispatcherJobs jobs;
  jobs.loadEpgFolder = [&ran] { ran.push_back("load"); };
  jobs.runAutoReserve = [&ran] { ran.push_back("auto"); };
  SetDispatcherJobs(jobs);
  ResetEpgFolderState();
  EXPECT_EQ(Request("cmd=epg"),
            "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\nEPG最終取得日時:1601/01/01  9:00:00\n");
  EXPECT_EQ(ran, (std::vector<std::string>{"load", "auto"}));
}

TEST_F(DispatcherTest, RemoteTuneSplitsTheAddressAndAnswersTheResult) {
  std::vector<std::string> calls;
  bool result = true;
  DispatcherJobs jobs;
  jobs.tuneRemote = [&](const std::string& name, const std::string& host, const std::string& port) {
    calls.push_back(name + "|" + host + "|" + port);
    return result;
  };
  SetDispatcherJobs(jobs);
  AddService(TrKey(0x400), L"ＮＨＫ総合");
  const std::string head = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  EXPECT_EQ(Request("cmd=nrc&sid=7fe07fe00400"), head + "成功");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], "\x82\x6d\x82\x67\x82\x6a\x91\x8d\x8d\x87|127.0.0.1|1334");  // the name in CP932
  Set(L"SYSTEM", L"REMOCON_ADDRESS", L"192.168.0.5:4000");
  result = false;
  EXPECT_EQ(Request("cmd=nrc&sid=1"), head + "失敗 ");
  EXPECT_EQ(calls.back(), "|192.168.0.5|4000");  // unknown service: empty name
  Set(L"SYSTEM", L"REMOCON_ADDRESS", L"no-port");
  EXPECT_EQ(Request("cmd=nrc&sid=7fe07fe00400"), head + "失敗 ");
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(DispatcherTest, CalendarUploadAnswersWhatTheUploadWrites) {
  // Nothing to upload: the reply is empty.
  EXPECT_EQ(Request("cmd=syoboup"), "");
  DispatcherJobs jobs;
  jobs.uploadSyoboiReserves = [](ReplyWriter& out) { out.Send("uploaded"); };
  SetDispatcherJobs(jobs);
  EXPECT_EQ(Request("cmd=syoboup"), "uploaded");
}

}  // namespace
}  // namespace plimod::test
