#include <gtest/gtest.h>

#include <string>

#include "guide/civil_time.h"
#include "guide/page_cookie.h"
#include "guide/page_state.h"
#include "guide_fixture.h"

namespace plimod::test {
namespace {

class ViewParametersTest : public GuideFixture {
 protected:
  PageView Read(const std::string& query, PageMode mode = PageMode::kEpg,
                const SystemTime& now = At(2025, 3, 1, 12, 0)) {
    params_.Reset(query);
    return ReadViewParameters(params_, mode, now);
  }
  static int DayNumber(const PageView& view) { return DateNumberAfterDays(view.baseDay, 0); }
  RequestParameters params_;
};

TEST_F(ViewParametersTest, DayRange) {
  EXPECT_EQ(DayNumber(Read("day=19800100")), 20250301);  // rejected: today
  EXPECT_EQ(DayNumber(Read("day=19800101")), 19800101);
  EXPECT_EQ(DayNumber(Read("day=20791231")), 20791231);
  EXPECT_EQ(DayNumber(Read("day=20800101")), 20250301);
  EXPECT_EQ(DayNumber(Read("day=20250231")), 20250303);  // normalised
  EXPECT_EQ(DayNumber(Read("day=20251300")), 20251201);  // month clamped, day 0 is 1
  EXPECT_EQ(DayNumber(Read("day=abc")), 20250301);
  EXPECT_EQ(DayNumber(Read("", PageMode::kEpg, At(2025, 3, 1, 4, 59))), 20250228);
}

TEST_F(ViewParametersTest, HourMapsOntoTheBroadcastDay) {
  EXPECT_EQ(Read("hour=0").hour, 24);
  EXPECT_EQ(Read("hour=4").hour, 28);
  EXPECT_EQ(Read("hour=5").hour, 5);
  EXPECT_EQ(Read("hour=28").hour, 28);
  EXPECT_EQ(Read("hour=29").hour, 12);  // rejected: the current hour
  EXPECT_EQ(Read("hour=-1").hour, 12);
  EXPECT_EQ(Read("hour=x").hour, 12);
  EXPECT_EQ(Read("", PageMode::kEpg, At(2025, 3, 1, 3, 30)).hour, 27);
}

TEST_F(ViewParametersTest, RangeBandDetailAndMark) {
  EXPECT_EQ(Read("range=30").state.range, 24);
  EXPECT_EQ(Read("range=30", PageMode::kSearch).state.range, 7);
  EXPECT_EQ(Read("range=x").state.range, 1);
  EXPECT_EQ(Read("").state.range, 6);
  EXPECT_EQ(Read("", PageMode::kStation).state.range, 3);
  EXPECT_EQ(Read("band=111").state.band, 0x1u);
  EXPECT_EQ(Read("band=110").state.band, 0x10u);
  EXPECT_EQ(Read("band=1000").state.band, 0x1000u);
  EXPECT_EQ(Read("band=1010", PageMode::kSearch).state.band, 0x1010u);
  EXPECT_EQ(Read("detail=0").state.detail, 0);
  EXPECT_EQ(Read("detail=3").state.detail, 1);
  EXPECT_EQ(Read("mark=1").mark, 1);
  EXPECT_EQ(Read("mark=7").mark, 0);
}

TEST_F(ViewParametersTest, StationChannelStaysInsideTheBandMask) {
  AddService(TrKey(0x400));
  AddService(TrKey(0x408));
  AddService(BsKey(0x65));
  Read("chid=T0408H&band=1", PageMode::kStation);
  EXPECT_EQ(params_.Value("chid"), "T0408H");
  Read("chid=B0065H&band=1", PageMode::kStation);
  EXPECT_EQ(params_.Value("chid"), "T0400H");
  Read("chid=T0999H&band=10", PageMode::kStation);
  EXPECT_EQ(params_.Value("chid"), "B0065H");
  Read("chid=T0400H&band=100", PageMode::kStation);  // no channel in the mask
  EXPECT_EQ(params_.Value("chid"), "");
  Read("chid=B0065H&band=1");  // other modes leave it
  EXPECT_EQ(params_.Value("chid"), "B0065H");
}

TEST(PageCookieTest, EscapingRoundTripsAndCookiesMatchWholeNames) {
  EXPECT_EQ(EscapeCookieValue("range=12&band=10%"), "range%3D12%26band%3D10%25");
  EXPECT_EQ(UnescapeCookieValue("range%3D12%26band%3D10%25"), "range=12&band=10%");
  EXPECT_EQ(UnescapeCookieValue("a%253D"), "a%3D");  // one pass: no double decoding
  EXPECT_EQ(UnescapeCookieValue("%2"), "%2");
  EXPECT_EQ(FindCookieValue("defepg=a; b=c", "defepg"), "a");
  EXPECT_EQ(FindCookieValue("b=c;defepg=a;x", "defepg"), "a");
  EXPECT_EQ(FindCookieValue("xdefepg=a; defepg=b", "defepg"), "b");
  EXPECT_EQ(FindCookieValue("defepgx=a", "defepg"), std::nullopt);
  EXPECT_EQ(FindCookieValue("b=c; defepg", "defepg"), std::nullopt);
  EXPECT_EQ(FindCookieValue("defepg=", "defepg"), "");
  EXPECT_EQ(FindCookieValue("", "defepg"), std::nullopt);
}

TEST(PageCookieTest, CookieTextIsCutAt512Bytes) {
  RequestParameters params;
  const std::string filler = "f=" + std::string(500, 'x') + "; ";
  ApplyCookieDefaults(params, filler + "defepg=range%3D9", PageMode::kEpg);
  EXPECT_EQ(params.Value("range"), "");
  ApplyCookieDefaults(params, "defepg=range%3D9", PageMode::kEpg);
  EXPECT_EQ(params.Value("range"), "9");
}

TEST(PageCookieTest, ExpiryIsAYearAheadInGmt) {
  PageState state;
  state.range = 2;
  state.band = 0x1010;
  // 2024-02-29 23:59:59 UTC: a year of 365 days later is 2025-02-28.
  EXPECT_EQ(CookieLine(PageMode::kSearch, state, 1709251199),
            "Set-Cookie: defsearch=range%3D2%26band%3D1010; expires=Fri, 28-Feb-2025 23:59:59 GMT\n");
}

}  // namespace
}  // namespace plimod::test
