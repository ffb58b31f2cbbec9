#include "recorder/srv/cmd_stream.h"

#include <gtest/gtest.h>

#include "tests/recorder/wire_bytes.h"

namespace plimod {
namespace {

using test::Bytes;
using test::Le16;
using test::Le32;
using test::Le64;
using test::ReserveBytes;
using test::Text;
using test::WireString;
using test::WireVector;
using test::WithTotal;
using test::Zeros;

template <class T>
std::string Encode(const T& value) {
  std::vector<std::uint8_t> buf(CmdStreamSize(value));
  std::size_t written = 0;
  EXPECT_TRUE(CmdStreamWrite(value, buf, written));
  EXPECT_EQ(written, buf.size());
  return Text(buf);
}

template <class T>
bool Decode(const std::string& bytes, T& out, std::size_t& used) {
  const std::vector<std::uint8_t> data = Bytes(bytes);
  return CmdStreamRead(out, data, used);
}

TEST(CmdStream, GoldenEncodings) {
  EXPECT_EQ(Encode(std::wstring(L"abc")), std::string("\x0C\0\0\0a\0b\0c\0\0\0", 12));
  EXPECT_EQ(Encode(std::wstring()), std::string("\x06\0\0\0\0\0", 6));
  EXPECT_EQ(Encode(std::vector<std::uint32_t>{5}), std::string("\x0C\0\0\0\x01\0\0\0\x05\0\0\0", 12));
  EXPECT_EQ(Encode(std::vector<std::uint32_t>{}), Zeros(0) + "\x08" + Zeros(7));
  EXPECT_EQ(Encode(SystemTime{2026, 13, 9, 40, 25, 61, 70, 1000}),
            Le16(2026) + Le16(13) + Le16(9) + Le16(40) + Le16(25) + Le16(61) + Le16(70) +
                Le16(1000));
  EXPECT_EQ(CmdStreamSize(SrvRecFolder{}), 28u);
  EXPECT_EQ(Encode(SrvRecSetting{}), test::NewSettingBytes());
  EXPECT_EQ(Encode(SrvReserveData{}).size(), 125u);
  EXPECT_EQ(Encode(SrvReserveData{}), ReserveBytes("", 0));
}

TEST(CmdStream, ReservationWithTextsMatchesHandWrittenBytes) {
  SrvReserveData r;
  r.title = L"News";
  r.reserveId = 7;
  SrvRecFolder folder;
  folder.parts = {L"D:\\rec", L"", L"b.dll", L""};
  r.setting.folders.push_back(folder);
  r.setting.postAction = 4;
  const std::string folderBytes = WithTotal(WireString("D:\\rec") + WireString("") +
                                            WireString("b.dll") + WireString(""));
  const std::string setting =
      WithTotal("\x01\x01\x01" + Le32(0) + Zeros(1) + WireString("") +
                WireVector(1, folderBytes) + "\x04" + Zeros(2) + Le32(10) + Le32(5) + Zeros(2) +
                Le32(0));
  const std::string expected =
      WithTotal(WireString("News") + Zeros(16) + Le32(0) + WireString("") + Zeros(8) +
                WireString("") + Le32(7) + Zeros(2) + WireString("") + Zeros(16) + setting +
                Le32(0));
  EXPECT_EQ(Encode(r), expected);

  SrvReserveData back;
  std::size_t used = 0;
  ASSERT_TRUE(Decode(expected, back, used));
  EXPECT_EQ(used, expected.size());
  EXPECT_EQ(back.title, L"News");
  EXPECT_EQ(back.reserveId, 7u);
  ASSERT_EQ(back.setting.folders.size(), 1u);
  EXPECT_EQ(back.setting.folders[0].parts[2], L"b.dll");
  EXPECT_EQ(back.setting.postAction, 4);
}

TEST(CmdStream, WireTextCountsUtf16UnitsAndReplacesLoneSurrogates) {
  const std::wstring clef = L"\U0001D11E";
  EXPECT_EQ(Encode(clef), Le32(10) + Le16(0xD834) + Le16(0xDD1E) + Le16(0));
  std::wstring text;
  std::size_t used = 0;
  ASSERT_TRUE(Decode(Le32(10) + Le16(0xD834) + Le16(0x41) + Le16(0), text, used));
  EXPECT_EQ(text, L"\uFFFDA");
  ASSERT_TRUE(Decode(Le32(12) + Le16(0xD834) + Le16(0xDD1E) + Le16(0x42) + Le16(0), text, used));
  EXPECT_EQ(text, L"\U0001D11EB");
}

TEST(CmdStream, StringReadKeepsToItsStatedSize) {
  std::wstring text;
  std::size_t used = 0;
  // Stops at the first NUL, but uses the whole stated size.
  ASSERT_TRUE(Decode(Le32(12) + Le16('a') + Le16(0) + Le16('b') + Le16(0) + "rest", text, used));
  EXPECT_EQ(text, L"a");
  EXPECT_EQ(used, 12u);
  // Never reads past the stated size, NUL or not.
  ASSERT_TRUE(Decode(Le32(6) + Le16('x') + Le16('y') + Le16(0), text, used));
  EXPECT_EQ(text, L"x");
  // An odd size leaves the half unit out.
  ASSERT_TRUE(Decode(Le32(7) + Le16('q') + "\x01", text, used));
  EXPECT_EQ(text, L"q");
  EXPECT_EQ(used, 7u);
  // Sizes below 4 and sizes past the data fail.
  EXPECT_FALSE(Decode(Le32(3) + Le16(0), text, used));
  EXPECT_FALSE(Decode(Le32(0) + Le16(0), text, used));
  EXPECT_FALSE(Decode(Le32(20) + Le16('a') + Le16(0), text, used));
}

TEST(CmdStream, RecordTotalOfFourKeepsTheNewRecordsValuesOnlyOnItsOwn) {
  SrvReserveData fresh;
  std::size_t used = 0;
  ASSERT_TRUE(Decode(Le32(4), fresh, used));
  EXPECT_EQ(used, 4u);
  EXPECT_EQ(fresh.setting.recordMode, 1);
  EXPECT_EQ(fresh.setting.priority, 1);
  EXPECT_EQ(fresh.setting.follow, 1);
  EXPECT_EQ(fresh.setting.marginStart, 10u);
  EXPECT_EQ(fresh.setting.marginEnd, 5u);

  SrvReserveData kept;
  kept.title = L"before";
  ASSERT_TRUE(Decode(Le32(3), kept, used));
  EXPECT_EQ(used, 4u);
  EXPECT_EQ(kept.title, L"before");

  // In a list such a record would cost a whole record for 4 bytes.
  std::vector<SrvReserveData> out;
  EXPECT_FALSE(Decode(WireVector(1, Le32(4) + Zeros(200)), out, used));
  EXPECT_TRUE(out.empty());
}

TEST(CmdStream, RecordTotalIsCheckedButItsSurplusIsNotSkipped) {
  const std::string plain = ReserveBytes("one", 1);
  // Stated total beyond the data fails although the fields are all there.
  std::string tooLong = plain;
  tooLong.replace(0, 4, Le32(static_cast<std::uint32_t>(plain.size() + 1)));
  SrvReserveData r;
  std::size_t used = 0;
  EXPECT_FALSE(Decode(tooLong, r, used));

  // A total larger than the fields: the next element starts after the last field.
  std::string padded = plain;
  padded.replace(0, 4, Le32(static_cast<std::uint32_t>(plain.size() + 4)));
  const std::string second = ReserveBytes("two", 2);
  const std::string vector = WireVector(2, padded + second);
  std::vector<SrvReserveData> out;
  ASSERT_TRUE(Decode(vector, out, used));
  EXPECT_EQ(used, vector.size());
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1].title, L"two");
  EXPECT_EQ(out[1].reserveId, 2u);
}

TEST(CmdStream, VectorReadsAppendAndKeepWhatDecodedBeforeAFailure) {
  std::vector<std::uint32_t> ids{9};
  std::size_t used = 0;
  ASSERT_TRUE(Decode(WireVector(2, Le32(5) + Le32(6)), ids, used));
  EXPECT_EQ(ids, (std::vector<std::uint32_t>{9, 5, 6}));

  // Count 3, the third broken: fails; the two stay, with no room kept for
  // a third.
  std::vector<SrvReserveData> out;
  const std::string broken = Le32(0xFFFF) + Zeros(200);
  EXPECT_FALSE(Decode(WireVector(3, ReserveBytes("a", 1) + ReserveBytes("b", 2) + broken), out, used));
  EXPECT_EQ(out.size(), 2u);
  EXPECT_EQ(out.capacity(), 2u);
}

TEST(CmdStream, ShortOrLyingDataFailsAtOnce) {
  std::size_t used = 0;
  std::vector<SrvReserveData> reserves;
  SrvReserveData reserve;
  std::vector<SrvTunerReserve> tuners;
  std::vector<SrvRecFileInfo> results;
  EXPECT_FALSE(Decode("", reserves, used));
  EXPECT_FALSE(Decode("", reserve, used));
  EXPECT_FALSE(Decode("", tuners, used));
  EXPECT_FALSE(Decode("", results, used));
  // A count of 0xFFFFFFFF with no elements behind it.
  std::vector<std::uint32_t> ids;
  EXPECT_FALSE(Decode(Le32(8) + Le32(0xFFFFFFFF), ids, used));
  EXPECT_FALSE(Decode(Le32(8) + Le32(0xFFFFFFFF), reserves, used));
  EXPECT_TRUE(ids.empty());
  // A record cut inside its fields.
  const std::string whole = ReserveBytes("cut", 3);
  EXPECT_FALSE(Decode(whole.substr(0, 60), reserve, used));
  // A write into a buffer one byte short fails.
  std::vector<std::uint8_t> shortBuf(124);
  std::size_t written = 0;
  EXPECT_FALSE(CmdStreamWrite(SrvReserveData{}, shortBuf, written));
}

// Bytes of capacity a vector read reserves for a count of 0xFFFFFFFF.
template <class T>
std::size_t BytesReservedForLyingCount(const std::string& elements) {
  std::vector<T> out;
  std::size_t used = 0;
  EXPECT_FALSE(Decode(WireVector(0xFFFFFFFF, elements), out, used));
  return out.capacity() * sizeof(T);
}

// A record takes some 300 bytes in memory: what a count reserves is bounded
// by the reply's bytes, whatever the count says.
TEST(CmdStream, ALyingCountReservesNoMoreThanTheReplysBytes) {
  // A 64 KiB reply whose first record claims more than the reply holds.
  const std::string elements = Le32(0xFFFFFFFF) + Zeros(64 * 1024 - 12);
  const std::size_t reply = elements.size() + 8;
  const std::pair<const char*, std::size_t> reserved[] = {
      {"DWORD", BytesReservedForLyingCount<std::uint32_t>(elements)},
      {"reservation", BytesReservedForLyingCount<SrvReserveData>(elements)},
      {"folder", BytesReservedForLyingCount<SrvRecFolder>(elements)},
      {"tuner", BytesReservedForLyingCount<SrvTunerReserve>(elements)},
      {"result", BytesReservedForLyingCount<SrvRecFileInfo>(elements)},
  };
  for (const auto& [type, bytes] : reserved) EXPECT_LE(bytes, reply) << type;
}

// The smallest element of each list that still reads, written by hand:
// every string no more than its size field, every vector empty.
std::string BareSetting() {
  return WithTotal("\x01\x01\x01" + Le32(0) + Zeros(1) + Le32(4) + WireVector(0, "") + Zeros(3) + Le32(10) +
                   Le32(5) + Zeros(2) + Le32(0));
}
std::string BareReservationFields(const std::string& setting) {
  return Le32(4) + Zeros(16) + Le32(0) + Le32(4) + Zeros(8) + Le32(4) + Le32(0) + Zeros(2) + Le32(4) + Zeros(16) +
         setting + Le32(0);
}
std::string BareReservation() { return WithTotal(BareReservationFields(BareSetting())); }
std::string BareFolder() { return WithTotal(Le32(4) + Le32(4) + Le32(4) + Le32(4)); }
std::string BareTuner() { return WithTotal(Le32(0) + Le32(4) + WireVector(0, "")); }
std::string BareResult() {
  return WithTotal(Le32(0) + Le32(4) + Le32(4) + Zeros(16) + Le32(0) + Le32(4) + Zeros(8) + Zeros(16) + Le32(0) +
                   Zeros(16) + Le32(4) + Le32(4) + Le32(4));
}

std::string Repeat(const std::string& element, std::size_t times) {
  std::string out;
  out.reserve(element.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += element;
  return out;
}

struct ListRead {
  bool ok;
  std::size_t size;
  std::size_t capacity;
};

template <class T>
ListRead ReadList(const std::string& bytes) {
  std::vector<T> out;
  std::size_t used = 0;
  const bool ok = Decode(bytes, out, used);
  return {ok, out.size(), out.capacity()};
}

TEST(CmdStream, ListElementsMustCarryTheirFieldsAndCountsTheirBytes) {
  struct Case {
    const char* type;
    ListRead (*read)(const std::string&);
    std::string bare;
    bool recordElements;
  };
  const Case cases[] = {
      {"reservation", ReadList<SrvReserveData>, BareReservation(), true},
      {"folder", ReadList<SrvRecFolder>, BareFolder(), true},
      {"tuner", ReadList<SrvTunerReserve>, BareTuner(), true},
      {"result", ReadList<SrvRecFileInfo>, BareResult(), true},
      {"DWORD", ReadList<std::uint32_t>, Le32(7), false},
  };
  const std::string emptyRecords = test::EmptyRecordList(1u << 20);  // 4 MiB
  for (const Case& c : cases) {
    const ListRead bare = c.read(WireVector(3, Repeat(c.bare, 3)));
    EXPECT_TRUE(bare.ok) << c.type;
    EXPECT_EQ(bare.size, 3u) << c.type;
    // One element more than the bytes hold: nothing read, nothing reserved.
    const ListRead over = c.read(WireVector(4, Repeat(c.bare, 3) + Zeros(c.bare.size() - 1)));
    EXPECT_FALSE(over.ok) << c.type;
    EXPECT_EQ(over.capacity, 0u) << c.type;
    if (!c.recordElements) continue;
    // A total one short of the fields, the bytes all there.
    std::string shortTotal = c.bare;
    shortTotal.replace(0, 4, Le32(static_cast<std::uint32_t>(c.bare.size() - 1)));
    const ListRead cut = c.read(WireVector(1, shortTotal));
    EXPECT_FALSE(cut.ok) << c.type;
    EXPECT_EQ(cut.capacity, 0u) << c.type;
    const ListRead empty = c.read(emptyRecords);
    EXPECT_FALSE(empty.ok) << c.type;
    EXPECT_EQ(empty.capacity, 0u) << c.type;
  }
  // A record nested in a list element must carry its fields too; on its
  // own it keeps the quirk.
  const std::string bareSettingOfFour =
      Le32(static_cast<std::uint32_t>(BareReservation().size())) + BareReservationFields(Le32(4)) + Zeros(37);
  EXPECT_FALSE(ReadList<SrvReserveData>(WireVector(1, bareSettingOfFour)).ok);
  SrvReserveData alone;
  std::size_t used = 0;
  EXPECT_TRUE(Decode(bareSettingOfFour, alone, used));
}

TEST(CmdStream, ReceivedOnlyRecordsReadInStreamOrder) {
  SrvTunerReserve empty;
  std::size_t used = 0;
  const std::string emptyTuner = WithTotal(Le32(0) + WireString("") + WireVector(0, ""));
  EXPECT_EQ(emptyTuner.size(), 22u);
  ASSERT_TRUE(Decode(emptyTuner, empty, used));
  EXPECT_EQ(used, 22u);

  SrvTunerReserve tuner;
  ASSERT_TRUE(Decode(WithTotal(Le32(0x1FF) + WireString("T.dll") + WireVector(2, Le32(4) + Le32(8))),
                     tuner, used));
  EXPECT_EQ(tuner.tunerId, 0x1FFu);
  EXPECT_EQ(tuner.tunerName, L"T.dll");
  EXPECT_EQ(tuner.reserveIds, (std::vector<std::uint32_t>{4, 8}));

  const std::string start = Le16(2026) + Le16(12) + Le16(3) + Le16(9) + Le16(21) + Le16(0) +
                            Le16(0) + Le16(0);
  const std::string result =
      WithTotal(Le32(5) + WireString("") + WireString("News") + start + Le32(1800) +
                WireString("NHK") + Le16(1) + Le16(2) + Le16(3) + Le16(4) + Le64(3) +
                Le64(0x100000000ull) + Le32(0x0102) + start + WireString("ok") +
                WireString("x") + WireString("y"));
  SrvRecFileInfo info;
  ASSERT_TRUE(Decode(result, info, used));
  EXPECT_EQ(used, result.size());
  EXPECT_EQ(info.resultId, 5u);
  EXPECT_EQ(info.title, L"News");
  EXPECT_EQ(info.start.wHour, 21);
  EXPECT_EQ(info.duration, 1800u);
  EXPECT_EQ(info.station, L"NHK");
  EXPECT_EQ(info.eventId, 4);
  EXPECT_EQ(info.dropCount, 3);
  EXPECT_EQ(info.scrambleCount, 0x100000000ll);
  EXPECT_EQ(info.status, 0x0102u);
  EXPECT_EQ(info.comment, L"ok");
  EXPECT_EQ(info.thirdText, L"y");
}

}  // namespace
}  // namespace plimod
