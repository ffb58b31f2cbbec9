// The program's own collision test for the text-file recorder: tuners per
// band, three-band tuners lent to a band that runs short, and which
// programmes a collision marks unrecordable.

#include <gtest/gtest.h>

#include <vector>

#include "recorder/lists/tuner_slots.h"
#include "settings/ini_file.h"
#include "tests/support/fixed_clock.h"
#include "tests/support/service_keys.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

std::uint64_t Terrestrial(std::uint16_t eid) { return ProgramKey(eid, TrKey(0x400)); }
std::uint64_t Bs(std::uint16_t eid) { return ProgramKey(eid, BsKey(0x101)); }

class TunerSlotsTest : public ::testing::Test {
 protected:
  // A reservation at `hour`:`minute` on a fixed day, `minutes` long.
  bool Place(std::uint64_t key, int hour, int minute, int minutes, int second = 0) {
    return PlaceInTunerSlot(lists_, counts_, key, TimeOf(2025, 3, 4, hour, minute, second), minutes * 60);
  }
  std::vector<std::uint64_t> Unrecordable() const { return lists_.unrecordableList; }

  ReserveLists lists_;
  TunerCounts counts_{1, 0, 0};
};

TEST_F(TunerSlotsTest, OneTunerTwoOverlappingMarksBoth) {
  EXPECT_TRUE(Place(Terrestrial(1), 20, 0, 60));
  EXPECT_FALSE(Place(Terrestrial(2), 20, 30, 60));
  EXPECT_EQ(Unrecordable(), (std::vector<std::uint64_t>{Terrestrial(1), Terrestrial(2)}));
  // A third collision adds only itself: the others are already listed.
  EXPECT_FALSE(Place(Terrestrial(3), 20, 45, 10));
  EXPECT_EQ(Unrecordable(), (std::vector<std::uint64_t>{Terrestrial(1), Terrestrial(2), Terrestrial(3)}));
}

TEST_F(TunerSlotsTest, ThreeBandTunerIsLentAndABorrowingCollisionMarksBothBands) {
  counts_ = {1, 0, 1};
  EXPECT_TRUE(Place(Terrestrial(1), 20, 0, 60));
  EXPECT_TRUE(Place(Terrestrial(2), 20, 10, 60));
  EXPECT_TRUE(Unrecordable().empty());
  EXPECT_FALSE(Place(Bs(3), 20, 20, 60));
  EXPECT_EQ(Unrecordable(), (std::vector<std::uint64_t>{Terrestrial(1), Terrestrial(2), Bs(3)}));
}

TEST_F(TunerSlotsTest, CollisionWithoutBorrowingMarksOnlyItsOwnBand) {
  counts_ = {1, 1, 0};
  EXPECT_TRUE(Place(Terrestrial(1), 20, 0, 60));
  EXPECT_TRUE(Place(Bs(2), 20, 0, 60));
  EXPECT_FALSE(Place(Bs(3), 20, 30, 60));
  EXPECT_EQ(Unrecordable(), (std::vector<std::uint64_t>{Bs(2), Bs(3)}));
}

TEST_F(TunerSlotsTest, EndIsInclusiveSoBackToBackDoesNotCollide) {
  EXPECT_TRUE(Place(Terrestrial(1), 20, 0, 60));
  EXPECT_TRUE(Place(Terrestrial(2), 21, 0, 30));
  // Starting in the second one's last second overlaps it.
  EXPECT_FALSE(Place(Terrestrial(3), 21, 29, 10, 59));
  EXPECT_EQ(Unrecordable(), (std::vector<std::uint64_t>{Terrestrial(2), Terrestrial(3)}));
}

TEST_F(TunerSlotsTest, FileOrderIsKeptEvenWhenStartsGoBackwards) {
  // The later programme comes first; the earlier one, read next, drops
  // nothing and meets it although they do not overlap.
  EXPECT_TRUE(Place(Terrestrial(1), 22, 0, 60));
  EXPECT_FALSE(Place(Terrestrial(2), 20, 0, 60));
}

TEST_F(TunerSlotsTest, TimesPast2038StayInOrder) {
  const SystemTime late = TimeOf(2079, 12, 31, 23, 0, 0);
  EXPECT_TRUE(PlaceInTunerSlot(lists_, counts_, Terrestrial(1), late, 3600));
  EXPECT_FALSE(PlaceInTunerSlot(lists_, counts_, Terrestrial(2), TimeOf(2079, 12, 31, 23, 59, 59), 60));
  EXPECT_TRUE(PlaceInTunerSlot(lists_, counts_, Terrestrial(3), TimeOf(2080, 1, 1, 1, 0, 0), 60));
}

TEST_F(TunerSlotsTest, TunerCountsComeFromTheSettingsUnlessAllZero) {
  IniFile settings;
  const TunerCounts detected{2, 1, 1};
  EXPECT_EQ(ReadTunerCounts(settings, detected), detected);
  settings.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"0,0,0");
  EXPECT_EQ(ReadTunerCounts(settings, detected), detected);
  settings.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"1,0,2");
  EXPECT_EQ(ReadTunerCounts(settings, detected), (TunerCounts{1, 0, 2}));
  settings.SetString(L"EPGDATACAP", L"TUNERCOUNT", L"3");
  EXPECT_EQ(ReadTunerCounts(settings, detected), (TunerCounts{3, 0, 0}));
}

}  // namespace
}  // namespace plimod::test
