// Finding reservations in the lists and publishing the lists whole.

#include <gtest/gtest.h>

#include "recorder/lists/reserve_list_patch.h"
#include "recorder/lists/reserve_lists.h"
#include "tests/support/service_keys.h"
#include "util/keys.h"

namespace plimod::test {
namespace {

ReserveEntry Entry(int reserveId, std::uint64_t serviceKey, std::uint16_t eventId, int recordMode = 1) {
  ReserveEntry entry;
  entry.reserveId = reserveId;
  entry.serviceKey = serviceKey;
  entry.eventId = eventId;
  entry.recordMode = recordMode;
  return entry;
}

EpgEvent Event(std::uint64_t serviceKey, std::uint16_t eventId) {
  EpgEvent event;
  event.originalNetworkId = OnidOf(serviceKey);
  event.transportStreamId = TsidOf(serviceKey);
  event.serviceId = SidOf(serviceKey);
  event.eventId = eventId;
  return event;
}

TEST(ReserveListsTest, FindReserveTakesTheFirstEntryOfServiceAndEvent) {
  ReserveLists lists;
  lists.reserveList = {Entry(1, TrKey(0x400), 7), Entry(2, BsKey(0x101), 7), Entry(3, BsKey(0x101), 7),
                       Entry(4, BsKey(0x101), 8)};
  EXPECT_EQ(FindReserve(lists, BsKey(0x101), 7)->reserveId, 2);
  EXPECT_EQ(FindReserve(lists, BsKey(0x101), 8)->reserveId, 4);
  // Bits above the service key (an event id in a programme key) do not count.
  EXPECT_EQ(FindReserve(lists, ProgramKey(9, TrKey(0x400)), 7)->reserveId, 1);
  EXPECT_EQ(FindReserve(lists, TrKey(0x401), 7), nullptr);
  EXPECT_EQ(FindReserve(lists, TrKey(0x400), 8), nullptr);
}

TEST(ReserveListsTest, IndexedListsFindWhatAWalkFinds) {
  ReserveLists lists;
  lists.reserveList = {Entry(1, TrKey(0x400), 7), Entry(2, BsKey(0x101), 7), Entry(3, BsKey(0x101), 7),
                       Entry(3, BsKey(0x101), 8)};
  IndexReserveList(lists);
  EXPECT_EQ(FindReserve(lists, BsKey(0x101), 7)->reserveId, 2);
  EXPECT_EQ(FindReserve(lists, ProgramKey(9, TrKey(0x400)), 7)->reserveId, 1);
  EXPECT_EQ(FindReserve(lists, TrKey(0x400), 8), nullptr);
  EXPECT_EQ(FindReserveById(lists, 3)->eventId, 7);  // the first with the id
  EXPECT_EQ(FindReserveById(lists, 4), nullptr);
  // An entry added after indexing is still found: the lists are walked.
  lists.reserveList.push_back(Entry(5, TrKey(0x401), 1));
  EXPECT_EQ(FindReserve(lists, TrKey(0x401), 1)->reserveId, 5);
  EXPECT_EQ(FindReserveById(lists, 5)->reserveId, 5);
  // So is an unrecordable key pushed by hand.
  lists.unrecordableList.push_back(ProgramKey(1, TrKey(0x401)));
  EXPECT_TRUE(IsUnrecordableProgram(lists, ProgramKey(1, TrKey(0x401))));
}

TEST(ReserveListsTest, FindReserveForEventOnlyEverSetsTheMarks) {
  ReserveLists lists;
  lists.reserveList = {Entry(1, TrKey(0x400), 7, kEntryRecordModeDisabled), Entry(2, TrKey(0x400), 8)};
  EpgEvent disabled = Event(TrKey(0x400), 7);
  disabled.displayFlags = 1;
  ASSERT_NE(FindReserveForEvent(lists, disabled), nullptr);
  EXPECT_EQ(disabled.displayFlags, 1u | 0xc);

  EpgEvent reserved = Event(TrKey(0x400), 8);
  EXPECT_EQ(FindReserveForEvent(lists, reserved)->reserveId, 2);
  EXPECT_EQ(reserved.displayFlags, kEventReservedFlag);

  EpgEvent other = Event(TrKey(0x400), 9);
  other.displayFlags = 0xc;
  EXPECT_EQ(FindReserveForEvent(lists, other), nullptr);
  EXPECT_EQ(other.displayFlags, 0xcu);
}

TEST(ReserveListsTest, UnrecordableListKeepsDuplicatesUntilCleared) {
  ReserveLists lists;
  lists.tunerSlots[1].push_back({ProgramKey(1, BsKey(1)), 0, 10});
  AddUnrecordableProgram(lists, ProgramKey(1, BsKey(1)));
  AddUnrecordableProgram(lists, ProgramKey(1, BsKey(1)));
  EXPECT_EQ(lists.unrecordableList.size(), 2u);
  EXPECT_TRUE(IsUnrecordableProgram(lists, ProgramKey(1, BsKey(1))));
  EXPECT_FALSE(IsUnrecordableProgram(lists, ProgramKey(2, BsKey(1))));
  ClearTunerSlots(lists);
  EXPECT_TRUE(lists.unrecordableList.empty());
  EXPECT_TRUE(lists.tunerSlots[1].empty());
}

TEST(ReserveListsTest, ReadersKeepTheListsTheyTookAcrossAPublish) {
  PublishReserveLists(nullptr);
  EXPECT_TRUE(CurrentReserveLists()->reserveList.empty());
  auto first = std::make_shared<ReserveLists>();
  first->reserveList = {Entry(1, TrKey(0x400), 7)};
  PublishReserveLists(first);
  const ReserveSnapshot held = CurrentReserveLists();
  PublishReserveLists(std::make_shared<ReserveLists>());
  EXPECT_EQ(held->reserveList.size(), 1u);
  EXPECT_TRUE(CurrentReserveLists()->reserveList.empty());
}

TEST(ReserveListsTest, ServersRowTakesThePlaceOfItsEntryOrOfOneWithoutAnIdAndRunsTwiceAlike) {
  const std::uint64_t key = ProgramKey(7, TrKey(0x400));
  ReserveLists lists;
  lists.reserveList = {Entry(3, TrKey(0x400), 6), Entry(kReserveIdNotKnown, TrKey(0x400), 7)};
  lists.reserveList[1].tunerLabel = L"BonDriver_A";
  ReserveEntry server = Entry(9, TrKey(0x400), 7);
  server.unrecordable = 1;
  for (int run = 0; run < 2; ++run) {
    PutReserveEntry(lists, server);
    ASSERT_EQ(lists.reserveList.size(), 2u) << run;
    EXPECT_EQ(lists.reserveList[1].reserveId, 9);
    EXPECT_EQ(lists.reserveList[1].tunerLabel, L"BonDriver_A");
    EXPECT_EQ(lists.unrecordableList, std::vector<std::uint64_t>{key});
  }
  server.unrecordable = 0;  // enabled again elsewhere: the verdict goes
  PutReserveEntry(lists, server);
  EXPECT_FALSE(IsUnrecordableProgram(lists, key));
  // A programme the list lacks is put in start order, once.
  ReserveEntry later = Entry(kReserveIdNotKnown, TrKey(0x400), 8);
  later.start = SystemTime{2030, 1, 0, 1, 0, 0, 0, 0};
  PutReserveEntry(lists, later);
  InsertReserveEntry(lists, later);
  ASSERT_EQ(lists.reserveList.size(), 3u);
  EXPECT_EQ(lists.reserveList[2].eventId, 8);
  // Steps on the server's id find the entry still without one.
  SetReserveEntryMode(lists, ProgramKey(8, TrKey(0x400)), 12, 5);
  EXPECT_TRUE(lists.reserveList[2].Disabled());
  RemoveReserveEntry(lists, ProgramKey(8, TrKey(0x400)), 12);
  EXPECT_EQ(lists.reserveList.size(), 2u);
}

}  // namespace
}  // namespace plimod::test
