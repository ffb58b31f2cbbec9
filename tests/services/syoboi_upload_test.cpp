#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "epg/epg_index.h"
#include "recorder/lines/reserve_text.h"
#include "server/reply_writer.h"
#include "services/password_cipher.h"
#include "services/syoboi_upload.h"
#include "settings/settings.h"
#include "tests/support/epg_globals_fixture.h"
#include "tests/support/fake_calendar.h"
#include "tests/support/file_bytes.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/scoped_env.h"
#include "tests/support/service_keys.h"
#include "tests/support/temp_folder.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

const std::uint64_t kNhk = TrKey(0x400);
const std::uint64_t kBs = BsKey(0x101);
const std::uint64_t kNoName = TrKey(0x500);

// Seconds since 1970 of a Japan time.
long long JapanEpoch(int month, int day, int hour, int minute) {
  std::tm utc{};
  utc.tm_year = 2026 - 1900;
  utc.tm_mon = month - 1;
  utc.tm_mday = day;
  utc.tm_hour = hour - 9;
  utc.tm_min = minute;
  return static_cast<long long>(timegm(&utc));
}

class SyoboiUploadTest : public EpgGlobalsFixture {
 protected:
  void SetUp() override {
    EpgGlobalsFixture::SetUp();
    AddEvent(kNhk, 1, L"[字]ニュース\t7");
    AddEvent(kBs, 2, L"映画");
    AddEvent(kNoName, 3, L"番組");
    ServiceMap[kNhk] = L"ＮＨＫ総合１";
    ServiceMap[kBs] = L"BS\tOne";
  }

  void AddEvent(std::uint64_t key, std::uint16_t eventId, const std::wstring& title) {
    EpgEvent& event = events_[key][eventId];
    event.originalNetworkId = OnidOf(key);
    event.transportStreamId = TsidOf(key);
    event.serviceId = SidOf(key);
    event.eventId = eventId;
    event.SetTitle(title);
  }

  static UploadReservation Reservation(std::uint64_t key, std::uint16_t eventId, const SystemTime& start,
                                       int durationSeconds) {
    UploadReservation reservation;
    reservation.serviceKey = key;
    reservation.eventId = eventId;
    reservation.start = start;
    reservation.durationSeconds = durationSeconds;
    return reservation;
  }
};

TEST_F(SyoboiUploadTest, LinesHoldRoundedTimesCleanTextsAndOnlyEnabledProgrammesOfTheEpg) {
  std::vector<UploadReservation> reservations = {
      Reservation(kNhk, 1, TimeOf(2026, 12, 10, 20, 0, 0), 30 * 60 + 30),
      Reservation(kBs, 2, TimeOf(2026, 12, 10, 20, 0, 45), 60),
      Reservation(kNoName, 3, TimeOf(2026, 12, 11, 1, 0, 0), 600),
      Reservation(kNhk, 1, TimeOf(2026, 12, 10, 20, 0, 0), 60),
      Reservation(kNhk, 9, TimeOf(2026, 12, 10, 20, 0, 0), 60),  // gone from the EPG
  };
  reservations[1].tunerLabel = L"BonDriver_B(1)";
  reservations[3].disabled = true;
  const long long eight = JapanEpoch(12, 10, 20, 0);
  const long long one = JapanEpoch(12, 11, 1, 0);
  EXPECT_EQ(SyoboiUploadLines(Settings(), reservations),
            std::to_string(eight) + "\t" + std::to_string(eight + 31 * 60) +
                "\tedcb\tニュース 7\tＮＨＫ総合\t\t0\teid=1&sid=7fe07fe00400\n" +  //
                std::to_string(eight) + "\t" + std::to_string(eight + 2 * 60) +
                "\tBonDriver_B(1)\t映画\tBS One\t\t0\teid=2&sid=440100101\n" +  //
                std::to_string(one) + "\t" + std::to_string(one + 600) + "\tedcb\t番組\tnull\t\t0\teid=3&sid=7fe07fe00500\n");

  // The iEPG station name wins over the service's own.
  Settings().SetString(L"IEPG_CH_NAME", L"B0101H", L"ＢＳ\t１");
  EXPECT_NE(SyoboiUploadLines(Settings(), {reservations[1]}).find("\t映画\tＢＳ １\t"), std::string::npos);
}

TEST_F(SyoboiUploadTest, BodyCarriesTheOptionalFieldsOnlyWhenSet) {
  EXPECT_EQ(SyoboiUploadBody(Settings(), "1\t2 x\n"), "data=1%092+x%0A");
  Settings().SetString(L"SYOBOIUPLOAD", L"EPGURL", L"http://h/?a=1");
  Settings().SetString(L"SYOBOIUPLOAD", L"DEVCOLORS", L"red,blue");
  EXPECT_EQ(SyoboiUploadBody(Settings(), "x"), "data=x&epgurl=http%3A%2F%2Fh%2F%3Fa%3D1&devcolors=red%09blue");
  // The service links programmes with it: only a web address goes.
  Settings().SetString(L"SYOBOIUPLOAD", L"EPGURL", L"javascript:alert(1)");
  EXPECT_EQ(SyoboiUploadBody(Settings(), "x"), "data=x&devcolors=red%09blue");
}

class SyoboiUploadServiceTest : public SyoboiUploadTest {
 protected:
  void SetUp() override {
    SyoboiUploadTest::SetUp();
    ASSERT_TRUE(fake_.Running());
    fake_.Reply(200, "<b>OK</b>");
  }

  FakeCalendar fake_;
  ScopedEnv url_{"SYOBOCAL_URL", fake_.BaseUrl().c_str()};
  ScopedEnv noProxy_{"NO_PROXY", "*"};
};

TEST_F(SyoboiUploadServiceTest, ThePostCarriesSlotAuthorizationAndBodyAndShowsTheReplyAsText) {
  std::string page;
  ReplyWriter out(&page);
  EXPECT_EQ(UploadToSyoboi("user", "pass", 3, "data=x", &out), 9);
  EXPECT_EQ(page, "HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n&lt;b&gt;OK&lt;/b&gt;.");
  const std::vector<RecordedRequest> requests = fake_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].path, "/sch_upload");
  EXPECT_EQ(requests[0].query, "slot=3");
  EXPECT_EQ(requests[0].headers.at("authorization"), "Basic dXNlcjpwYXNz");
  EXPECT_EQ(requests[0].headers.at("content-type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(requests[0].headers.count("expect"), 0u);
  EXPECT_EQ(requests[0].body, "data=x");
}

// Past 1 MiB libcurl would ask "Expect: 100-continue" and wait for the
// server's go-ahead; the empty header keeps a large upload from doing so.
TEST_F(SyoboiUploadServiceTest, ALargeUploadAsksNoHundredContinue) {
  const std::string body = "data=" + std::string(2 * 1024 * 1024, 'x');
  EXPECT_EQ(UploadToSyoboi("user", "pass", 1, body, nullptr), 9);
  const std::vector<RecordedRequest> requests = fake_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].headers.count("expect"), 0u);
  EXPECT_EQ(requests[0].body, body);
}

TEST_F(SyoboiUploadServiceTest, TheRecorderReservationsAreSentWithTheStoredCredentials) {
  TempFolder recorder("upload-recorder");
  const std::string programTxt = (recorder.Path() / "Program.txt").string();
  Settings().SetString(L"EPGDATACAP", L"ENABLE", L"1");
  Settings().SetString(L"EPGDATACAP", L"PROGRAMTXT", std::wstring(programTxt.begin(), programTxt.end()));
  Settings().SetString(L"SYOBOIUPLOAD", L"USERID", L"user");
  std::string password = "p:ss";
  CipherPassword(password, false);
  Settings().SetString(L"SYOBOIUPLOAD", L"PASSWD", std::wstring(password.begin(), password.end()));
  Settings().SetString(L"SYOBOIUPLOAD", L"SLOT", L"2");

  // Nothing to send: no request at all, and nothing written.
  std::string page;
  ReplyWriter out(&page);
  UploadSyoboiReserves(Settings(), &out);
  EXPECT_TRUE(fake_.Requests().empty());
  EXPECT_EQ(page, "");

  const auto line = [](int sid, int eventId, const char* mode) {
    return "2026/12/10\t20:00:00\t00:30:00\tT\tS\t32736\t32736\t" + std::to_string(sid) + "\t" +
           std::to_string(eventId) + "\t1\t0\t7\t" + mode + "\t0\t0\t\t\r\n";
  };
  WriteFileBytes(programTxt, line(0x400, 1, "1") + line(0x500, 3, "5") + line(0x500, 3, "1"));
  UploadSyoboiReserves(Settings(), nullptr);
  const std::vector<RecordedRequest> requests = fake_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].query, "slot=2");
  EXPECT_EQ(requests[0].headers.at("authorization"), "Basic dXNlcjpwOnNz");
  const long long eight = JapanEpoch(12, 10, 20, 0);
  const std::string end = std::to_string(eight + 1800);
  EXPECT_EQ(requests[0].body, "data=" + std::to_string(eight) + "%09" + end +
                                  "%09edcb%09%E3%83%8B%E3%83%A5%E3%83%BC%E3%82%B9+7%09%EF%BC%AE%EF%BC%A8%EF%BC%AB"
                                  "%E7%B7%8F%E5%90%88%09%090%09eid%3D1%26sid%3D7fe07fe00400%0A" +
                                  std::to_string(eight) + "%09" + end +
                                  "%09edcb%09%E7%95%AA%E7%B5%84%09null%09%090%09eid%3D3%26sid%3D7fe07fe00500%0A");
}

}  // namespace
}  // namespace plimod::test
