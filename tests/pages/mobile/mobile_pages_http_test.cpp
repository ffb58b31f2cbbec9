// The mobile pages behind the real server: answered on the listening thread
// while the worker is busy, and beside store reloads: swapped in by hand,
// and made by the real folder load on the writer's files while the worker
// draws the programme table.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "epg/epg_store.h"
#include "guide/dispatcher.h"
#include "pages/mobile/mobile_page.h"
#include "recorder/lists/reserve_lists.h"
#include "server/page_hooks.h"
#include "server/page_reply.h"
#include "server/request_context.h"
#include "server/request_token.h"
#include "settings/settings.h"
#include "tests/epg/epg_test_data.h"
#include "tests/guide/guide_fixture.h"
#include "tests/server/http_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/service_keys.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

using testing_support::ConnectLoopback;
using testing_support::HttpServerTest;
using testing_support::ReadToEnd;
using testing_support::SendText;

class MobilePagesHttpTest : public HttpServerTest {
 protected:
  void SetUp() override {
    HttpServerTest::SetUp();
    Settings().Clear();
    ServiceMap[TrKey(1)] = L"局";
    events_[TrKey(1)][1] = MakeEvent(TrKey(1), 1, At(2025, 3, 1, 21, 0), 60, L"夜の番組");
    EpgEventIndex = &events_;
  }
  void TearDown() override {
    HttpServerTest::TearDown();
    std::unique_lock lock(EpgDataLock());
    DetachEpgEventIndex(events_);
    ServiceMap.clear();
    PublishReserveLists(std::make_shared<ReserveLists>());
  }
  // A phone following a link of the mobile pages (the page parameter is
  // taken only from pages of this host).
  std::string Mobile(const std::string& query) {
    const std::string host = "127.0.0.1:" + std::to_string(port_);
    return Get("GET /m/?" + query + " HTTP/1.0\r\nHost: " + host + "\r\nReferer: http://" + host + "/m/\r\n\r\n");
  }
  static std::string Body(const std::string& reply) {
    const std::size_t at = reply.find("\n\n");
    return at == std::string::npos ? std::string() : reply.substr(at + 2);
  }

  FixedClock clock_{At(2025, 3, 1, 20, 0)};
  EpgEventMap events_;
};

TEST_F(MobilePagesHttpTest, MobilePageAnswersWhileTheWorkerIsBusyAndKeepsItsOwnParameters) {
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::string workerSaw;
  SetPageHandler([&started, released, &workerSaw](ReplyWriter& out) {
    started.set_value();
    released.wait_for(std::chrono::seconds(20));
    workerSaw = CurrentParameters().Value("x") + "/" + CurrentParameters().Value("w");
    SendPageText(out, "Content-Type: text/plain\n\nslow");
    return 0;
  });
  SetMobilePageHandler(ServeMobilePage);
  Start();

  auto slow = ConnectLoopback(port_);
  SendText(slow.get(), "GET /?x=worker&w=1 HTTP/1.0\r\n\r\n");
  ASSERT_EQ(started.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);

  const std::string table = Mobile("c=e&b=1&w=30");
  EXPECT_EQ(table.rfind("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n", 0), 0u);
  EXPECT_NE(table.find("<a href='?c=e&sid=7fe07fe00001&eid=1'>夜の番組</a><br>\n"), std::string::npos) << table;
  EXPECT_NE(Get("GET /m/ HTTP/1.0\r\n\r\n").find("5.<a href='?c=w&' accesskey=5>検索</a>"), std::string::npos);

  release.set_value();
  EXPECT_EQ(ReadToEnd(slow.get()), "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nslow");
  EXPECT_EQ(workerSaw, "worker/1");
}

TEST_F(MobilePagesHttpTest, MobileRequestsBesideStoreReloadsAndListRebuilds) {
  SetMobilePageHandler(ServeMobilePage);
  Start();
  std::atomic<bool> stop{false};
  // Reloads as the folder load makes them: a new map swapped in under the
  // exclusive lock, the old one destroyed; reservation lists republished.
  std::thread reloads([&stop] {
    std::unique_ptr<EpgEventMap> current;
    for (std::uint16_t round = 0; !stop.load(); ++round) {
      auto next = std::make_unique<EpgEventMap>();
      for (std::uint16_t id = 1; id <= 40; ++id) {
        (*next)[TrKey(1)][id] = MakeEvent(TrKey(1), id, At(2025, 3, 1, 5 + id % 20, 0), 50, L"番組" + std::to_wstring(round));
      }
      {
        std::unique_lock lock(EpgDataLock());
        EpgEventIndex = next.get();
        ServiceMap[TrKey(static_cast<std::uint16_t>(2 + round % 50))] = L"新局";
        current.swap(next);
      }
      next.reset();
      auto lists = std::make_shared<ReserveLists>();
      ReserveEntry entry;
      entry.serviceKey = TrKey(1);
      entry.eventId = static_cast<std::uint16_t>(1 + round % 40);
      entry.start = At(2025, 3, 1, 21, 0);
      entry.durationSeconds = 600;
      lists->reserveList.push_back(entry);
      PublishReserveLists(lists);
    }
    std::unique_lock lock(EpgDataLock());
    if (current) DetachEpgEventIndex(*current);
  });
  const char* pages[] = {"c=e&b=1&h=21", "c=s", "c=w", "c=n&f=2", "c=e&sid=7fe07fe00001&eid=5", "c=e&b=1&h=6"};
  int answered = 0;
  for (int i = 0; i < 120; ++i) {
    const std::string reply = Mobile(pages[i % 6]);
    if (Body(reply).find("</BODY></HTML>\n") != std::string::npos && reply.find("プリモ") == std::string::npos) {
      ++answered;
    }
  }
  stop = true;
  reloads.join();
  EXPECT_EQ(answered, 120);
}

// The worker's pages and the folder load as the program wires them, on a
// data folder the test rewrites between loads.
class MobileBesideFolderLoadTest : public MobilePagesHttpTest {
 protected:
  void SetUp() override {
    MobilePagesHttpTest::SetUp();
    clock_.Set(At(2026, 12, 10, 20, 0));
    ResetEpgFolderState();
    const std::string folder = data_.Path().string();
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", std::wstring(folder.begin(), folder.end()));
    Settings().SetString(L"SYSTEM", L"NORMALIZELIST", L"");
    Settings().SetString(L"SEARCH_01", L"ENABLE", L"1");
    Settings().SetString(L"SEARCH_01", L"WORD", L"ニュース");
    Settings().SetString(L"SEARCH_01", L"SEARCH_TITLE", L"1");
    store_ = std::make_unique<EpgStore>(std::string(PLIMOD_BINARY_DIR) + "/bin/");
    WriteData(0);
    ASSERT_TRUE(LoadEpgFolder(*store_));
    SetPageHandler(HandleRequest);
    SetMobilePageHandler(ServeMobilePage);
    Start();
  }
  void TearDown() override {
    MobilePagesHttpTest::TearDown();
    store_.reset();
    ResetEpgFolderState();
  }

  // The evening of 2026-12-10 on one channel; each round's files carry a
  // new section version and titles of their own ("ニュース0", "ニュース1").
  void WriteData(int round) {
    const std::u16string mark = round % 2 ? u"1" : u"0";
    std::vector<epgwriter::EventDescription> events;
    for (std::uint16_t id = 1; id <= 24; ++id) {
      events.push_back(MakeEvent(id, 2026, 12, 10, 18 + id / 6, id % 6 * 10, 10, (id % 3 ? u"番組" : u"ニュース") + mark));
    }
    epgwriter::EpgFileDescription file = MakeFile({MakeService(0x0400, 0x01, u"局", std::move(events))});
    file.version = static_cast<std::uint8_t>(round % 32);
    WriteFileBytes(data_.File("a_epg.dat"), EpgFileBytes(file));
  }

  TempFolder data_{"plimod-mobile-reload"};
  std::unique_ptr<EpgStore> store_;
};

TEST_F(MobileBesideFolderLoadTest, MobilePagesWhileTheWorkerDrawsAndTheFolderReloads) {
  using Clock = std::chrono::steady_clock;
  std::atomic<bool> stop{false};
  std::atomic<int> reloads{0};
  std::atomic<int> tables{0};
  std::thread loader([this, &stop, &reloads] {
    for (int round = 1; !stop.load(); ++round) {
      WriteData(round);
      if (ReloadEpgIfIdle(*store_)) ++reloads;
    }
  });
  std::thread worker([this, &stop, &tables] {
    while (!stop.load()) {
      const std::string reply = Get("GET /?mode=epg&day=20261210 HTTP/1.0\r\n\r\n");
      if (reply.find("<span class=title>") != std::string::npos) ++tables;
    }
  });
  const std::string pages[] = {"c=e&b=1&d=20261210&h=20", "c=s&d=20261210",
                               "c=w&spc=x&token=" + MakeRequestToken() + "&sh_word=%E3%83%8B&sh_title=1&sh_ch_T_mode=1",
                               "c=e&sid=7fe07fe00400&eid=3"};
  int asked = 0;
  int answered = 0;
  bool sawFirst = false;
  bool sawSecond = false;
  const auto end = Clock::now() + std::chrono::seconds(90);  // what a busy machine may need
  // Until both sides have worked a while beside the phone, and at least
  // one reload happened between two mobile pages.
  while (Clock::now() < end && (asked < 100 || reloads < 10 || tables < 10 || !(sawFirst && sawSecond))) {
    const std::string body = Body(Mobile(pages[asked++ % 4]));
    if (body.find("</BODY></HTML>\n") != std::string::npos) ++answered;
    sawFirst = sawFirst || body.find("ﾆｭｰｽ0") != std::string::npos;
    sawSecond = sawSecond || body.find("ﾆｭｰｽ1") != std::string::npos;
  }
  stop = true;
  loader.join();
  worker.join();
  EXPECT_EQ(answered, asked);
  EXPECT_GE(reloads.load(), 10);
  EXPECT_GE(tables.load(), 10);
  EXPECT_TRUE(sawFirst && sawSecond);
}

}  // namespace
}  // namespace plimod::test
