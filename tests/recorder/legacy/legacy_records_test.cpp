#include "recorder/legacy/legacy_records.h"

#include <gtest/gtest.h>

#include "tests/recorder/wire_bytes.h"

namespace plimod {
namespace {

namespace legacy = EpgTimerSrvLegacyClient;
using test::Bytes;
using test::Le16;
using test::Le32;
using test::Text;
using test::Units;
using test::Zeros;

// A text of the older set: byte length with the NUL, units, NUL.
std::string LText(const std::string& ascii) {
  return Le32(static_cast<std::uint32_t>(2 * ascii.size() + 2)) + Units(ascii) + Le16(0);
}

// Everything but the title, reserve id and post action empty or zero.
std::string RecordBytes(const std::string& title, std::uint32_t id, std::uint16_t post,
                        const std::string& tail) {
  return LText(title) + Zeros(16) + Le32(0) + LText("") + Zeros(8) + Zeros(2) + LText("") +
         Le32(0) + Le32(0) + LText("") + Le32(id) + Le32(0) + Le32(0) + LText("") + Le16(post) +
         Le32(0) + LText("") + tail;
}

ReserveRow Row(const std::wstring& title, std::int32_t id, std::uint16_t post) {
  ReserveRow row;
  row.title = title;
  row.reserveId = id;
  row.postAction = post;
  row.marginStart = 10;
  row.marginEnd = 2;
  return row;
}

const std::string kTail = Le32(0) + Le32(10) + Le32(2) + Le32(0);

TEST(LegacyRecords, EmptyRowIs108BytesWithTwoByteTexts) {
  CommandPacket packet;
  legacy::WriteReserveRecord(ReserveRow{}, packet);
  EXPECT_EQ(packet.data.size(), 108u);
  EXPECT_EQ(Text(packet.data), RecordBytes("", 0, 0, Zeros(16)));
  EXPECT_EQ(RecordBytes("", 0, 0, "").size(), 92u);
}

TEST(LegacyRecords, DeleteListOfTwoRowsMatchesHandWrittenBytes) {
  CommandPacket packet;
  legacy::WriteReserveList({Row(L"a", 3, 4), Row(L"bc", 9, 0)}, packet);
  const std::string first = RecordBytes("a", 3, 4, kTail);
  const std::string second = RecordBytes("bc", 9, 0, kTail);
  EXPECT_EQ(Text(packet.data), Le32(2) + Le32(110) + first + Le32(112) + second);
  EXPECT_EQ(packet.data.size(), 4 + (4 + first.size()) + (4 + second.size()));
}

TEST(LegacyRecords, ReadTakesTheTailOnlyWhenAllOfItIsThere) {
  ReserveRow row;
  ASSERT_TRUE(legacy::ReadReserveRecord(row, Bytes(RecordBytes("t", 7, 4, Le32(1) + Le32(60) + Le32(30) + Le32(0x11)))));
  EXPECT_EQ(row.title, L"t");
  EXPECT_EQ(row.reserveId, 7);
  EXPECT_EQ(row.postAction, 4);  // as it travels, no exchange
  EXPECT_EQ(row.marginStart, 60u);
  EXPECT_EQ(row.serviceFlags, 0x11u);
  for (const std::string& shortTail : {std::string(), Zeros(15)}) {
    ReserveRow defaults;
    ASSERT_TRUE(legacy::ReadReserveRecord(defaults, Bytes(RecordBytes("t", 7, 0, shortTail))));
    EXPECT_EQ(defaults.marginEnable, 0u);
    EXPECT_EQ(defaults.marginStart, 10u);
    EXPECT_EQ(defaults.marginEnd, 2u);
    EXPECT_EQ(defaults.serviceFlags, 0u);
  }
}

TEST(LegacyRecords, LengthsThatDoNotFitFailWithoutTouchingTheRow) {
  const std::string good = RecordBytes("title", 1, 0, kTail);
  ReserveRow row;
  row.title = L"kept";
  std::string tooLong = good;
  tooLong.replace(0, 4, Le32(4000));
  EXPECT_FALSE(legacy::ReadReserveRecord(row, Bytes(tooLong)));
  std::string odd = good;
  odd.replace(0, 4, Le32(11));
  EXPECT_FALSE(legacy::ReadReserveRecord(row, Bytes(odd)));
  std::string zero = good;
  zero.replace(0, 4, Le32(0));
  EXPECT_FALSE(legacy::ReadReserveRecord(row, Bytes(zero)));
  EXPECT_FALSE(legacy::ReadReserveRecord(row, Bytes(good.substr(0, 50))));
  EXPECT_FALSE(legacy::ReadReserveRecord(row, {}));
  EXPECT_EQ(row.title, L"kept");
}

TEST(LegacyRecords, TunerRecordKeepsTheIdWholeAndChecksTheCount) {
  TunerReserveRow tuner;
  ASSERT_TRUE(legacy::ReadTunerReserveRecord(
      tuner, Bytes(LText("T.dll") + Le32(0x1FF) + Le32(2) + Le32(4) + Le32(8))));
  EXPECT_EQ(tuner.tunerName, L"T.dll");
  EXPECT_EQ(tuner.tunerId, 0x1FFu);
  EXPECT_EQ(tuner.reserveIds, (std::vector<std::uint32_t>{4, 8}));
  TunerReserveRow lying;
  EXPECT_FALSE(legacy::ReadTunerReserveRecord(lying, Bytes(LText("T") + Le32(1) + Le32(0xFFFFFFFF) + Le32(4))));
  EXPECT_TRUE(lying.reserveIds.empty());
}

}  // namespace
}  // namespace plimod
