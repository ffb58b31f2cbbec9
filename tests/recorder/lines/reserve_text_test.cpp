// Reading the text-file recorder's reservation texts.

#include <gtest/gtest.h>

#include "recorder/lines/read_reserve_line.h"
#include "recorder/base/recorder_paths.h"
#include "recorder/lines/reserve_text.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/support/scoped_env.h"
#include "util/keys.h"

namespace plimod {
namespace {

using namespace std::string_literals;
using test::Sjis;
using test::WriteFileBytes;

std::string Fields(int count, const std::string& prefix = "f") {
  std::string line;
  for (int i = 0; i < count; ++i) line += (i ? "\t" : "") + prefix + std::to_string(i);
  return line;
}

// Every field set, the service bits 0x31 among them.
std::string FullLine(const std::string& title, int reserveId = 7) {
  return "2024/05/06\t23:30:05\t01:02:03\t" + title + "\t" + Sjis(L"ＮＨＫ総合") +
         "\t32736\t32737\t1024\t4660\t2\t1\t" + std::to_string(reserveId) +
         "\t0\t1\t\"C:\\b.bat\"\t0\tcomment\tD:\\rec\t3\t1\t0\t1\t60\t30\t49";
}
constexpr std::uint64_t kFullLineKey = ProgramKey(4660, ServiceKey(32736, 32737, 1024));

TEST(SplitReserveText, LineEndsAndEmptyLines) {
  const std::string text = "a\r\nb\rc\nd\0e\r\n\r\n\x01x\tz\r\nlast"s;
  const auto lines = SplitReserveText(text);
  ASSERT_EQ(lines.size(), 8u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"a", "\r\n"}, {"b", "\r"}, {"c", "\n"}, {"d", std::string(1, '\0')},
      {"e", "\r\n"}, {"", "\r\n"}, {"\x01x\tz", "\r\n"}, {"last", ""}};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].text, expected[i].first) << i;
    EXPECT_EQ(lines[i].end, expected[i].second) << i;
  }
  EXPECT_EQ(lines[0].fieldCount, 1);
  EXPECT_EQ(lines[5].fieldCount, 0);  // empty
  EXPECT_EQ(lines[6].fieldCount, 0);  // begins with a control character
  EXPECT_EQ(SplitReserveText("\tTAB first\r\n").front().fieldCount, 0);
}

TEST(SplitReserveText, SeventeenFieldsMakeAReservation) {
  const std::string text = Fields(16) + "\r\n" + Fields(17) + "\r\n" + "x\t\t" + Fields(38) + "\n";
  const auto lines = SplitReserveText(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_FALSE(lines[0].IsReservation());
  EXPECT_TRUE(lines[1].IsReservation());
  EXPECT_EQ(lines[1].Field(16), "f16");
  EXPECT_FALSE(lines[1].Has(17));
  EXPECT_EQ(lines[1].Field(17), "");
  // Empty fields count; fields past 32 are counted but not kept.
  EXPECT_EQ(lines[2].fieldCount, 40);
  EXPECT_EQ(lines[2].Field(1), "");
  EXPECT_EQ(lines[2].Field(31), "f29");
  EXPECT_FALSE(lines[2].Has(32));
}

TEST(ParseReserveTextLine, EveryFieldOfAFullLine) {
  const std::string title = Sjis(L"表\uFF5E\u2460ソ");
  const std::string text = FullLine(title) + "\r\n";
  const ReserveTextLine line = SplitReserveText(text).front();
  EXPECT_EQ(LineProgramKey(line), kFullLineKey);
  EXPECT_EQ(LineReserveId(line), 7);

  const ReserveLine r = ParseReserveTextLine(line);
  EXPECT_EQ(Cp932ToWide(r.title), L"表\uFF5E\u2460ソ");
  EXPECT_EQ(r.station, Sjis(L"ＮＨＫ総合"));
  EXPECT_EQ(r.networkId, 0);  // callers hold the key
  EXPECT_EQ(r.start.wYear, 2024);
  EXPECT_EQ(r.start.wMonth, 5);
  EXPECT_EQ(r.start.wDay, 6);
  EXPECT_EQ(r.start.wDayOfWeek, 1);  // filled in: a Monday
  EXPECT_EQ(r.start.wHour, 23);
  EXPECT_EQ(r.start.wMinute, 30);
  EXPECT_EQ(r.start.wSecond, 5);
  EXPECT_EQ(r.durationHours * 10000 + r.durationMinutes * 100 + r.durationSeconds, 10203);
  EXPECT_EQ(r.priority, 2);
  EXPECT_EQ(r.follow, 1);
  EXPECT_EQ(r.recordMode, 0);
  EXPECT_EQ(r.pittari, 1);
  EXPECT_EQ(r.batchPath, "\"C:\\b.bat\"");
  EXPECT_EQ(r.comment, "comment");
  EXPECT_EQ(r.recFolder, "D:\\rec");
  EXPECT_EQ(r.postAction, 3);
  EXPECT_EQ(r.resumeRestart, 1);
  EXPECT_EQ(r.marginEnable, 1);
  EXPECT_EQ(r.marginStart, 60);
  EXPECT_EQ(r.marginEnd, 30);
  EXPECT_EQ(r.serviceOptions, 7);
}

TEST(ParseReserveTextLine, ShortFieldsSignsAndAbsentOptions) {
  std::string text = "2024/5\t7\t-1:+2:x\tt\ts\t1\t2\t3\t4\t-5\t+6\t0\t5\t0\t0\t0\t" +
                     std::string(300, 'c') + "\r\n";
  const ReserveLine r = ParseReserveTextLine(SplitReserveText(text).front());
  EXPECT_EQ(r.start.wMonth, 5);
  EXPECT_EQ(r.start.wDay, 0);  // beyond the field's end
  EXPECT_EQ(r.start.wHour, 7);
  EXPECT_EQ(r.start.wMinute, 0);
  EXPECT_EQ(r.durationHours, -1);
  EXPECT_EQ(r.durationMinutes, 2);
  EXPECT_EQ(r.durationSeconds, 0);
  EXPECT_EQ(r.priority, -5);
  EXPECT_EQ(r.follow, 6);
  EXPECT_EQ(r.recordMode, kRecordModeDisabled);
  EXPECT_TRUE(r.batchPath.empty());  // "0": none
  EXPECT_EQ(r.comment, std::string(255, 'c'));
  EXPECT_TRUE(r.recFolder.empty());
  EXPECT_EQ(r.postAction + r.marginStart + r.marginEnd + r.serviceOptions, 0);

  // A cut never leaves half a character.
  text = "d\tt\td\t" + std::string(254, 'a') + Sjis(L"漢") + "\ts\t" + Fields(12) + "\n";
  EXPECT_EQ(ParseReserveTextLine(SplitReserveText(text).front()).title, std::string(254, 'a'));
}

TEST(ConvertRecInfoText, SixteenFieldsBecomeAReservationLine) {
  const std::string text = Fields(15, "x") + "\r\n" + Fields(16, "r") + "\r\n" + Fields(20, "s");
  EXPECT_EQ(ConvertRecInfoText(text),
            "r2\tr3\tr4\tr1\tr5\tr6\tr7\tr8\tr9\t1\t0\t0\t0\t0\t0\t\tr15\t0\t0\tr0\n"
            "s2\ts3\ts4\ts1\ts5\ts6\ts7\ts8\ts9\t1\t0\t0\t0\t0\t0\t\ts15\t0\t0\ts0\n");
}

class LoadReserveTextTest : public test::RecorderTest {};

TEST_F(LoadReserveTextTest, ProgramTxtAloneWhenItHoldsAnything) {
  WriteFileBytes(File("RecInfo.txt"), Fields(16, "r") + "\r\n");
  WriteFileBytes(File("Reserve.txt"), "reserve line\r\n");
  const std::wstring path = Wide(ProgramTxt());

  WriteFileBytes(ProgramTxt(), "program line\r\n");
  EXPECT_EQ(LoadReserveText(settings_, path), "program line\r\n");

  const std::string fallback =
      "r2\tr3\tr4\tr1\tr5\tr6\tr7\tr8\tr9\t1\t0\t0\t0\t0\t0\t\tr15\t0\t0\tr0\nreserve line\r\n";
  WriteFileBytes(ProgramTxt(), "");
  EXPECT_EQ(LoadReserveText(settings_, path), fallback);
  std::filesystem::remove(ProgramTxt());
  EXPECT_EQ(LoadReserveText(settings_, path), fallback);

  // PROGRAMTXT may name the folder as well as the file.
  settings_.SetString(L"EPGDATACAP", L"PROGRAMTXT", Wide(folder_.Path()));
  EXPECT_EQ(LoadReserveText(settings_, path), fallback);

  std::filesystem::remove(File("RecInfo.txt"));
  std::filesystem::remove(File("Reserve.txt"));
  EXPECT_EQ(LoadReserveText(settings_, path), "");
}

TEST_F(LoadReserveTextTest, LocateProgramTxt) {
  EXPECT_EQ(LocateProgramTxt(settings_), Wide(ProgramTxt()));
  settings_.SetString(L"EPGDATACAP", L"PROGRAMTXT", L"C:\\EpgTimerBon");
  EXPECT_EQ(LocateProgramTxt(settings_), L"C:\\EpgTimerBon/Program.txt");

  const test::ScopedEnv documents("XDG_DOCUMENTS_DIR", "/home/u/Docs");
  settings_.SetString(L"EPGDATACAP", L"PROGRAMTXT", L"");
  EXPECT_EQ(LocateProgramTxt(settings_), L"/home/u/Docs/EpgTimerBon/Program.txt");
  EXPECT_EQ(LocateRecorderFile(settings_, L"RecInfo.txt"), std::nullopt);

  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_EQ(LocateProgramTxt(settings_), std::nullopt);
}

TEST_F(LoadReserveTextTest, ReadReserveLineMatchesKeyAndReserveId) {
  WriteFileBytes(ProgramTxt(), Fields(16) + "\r\n" + FullLine("first", 3) + "\r\n" +
                                   FullLine("second", 9) + "\r\n");
  EXPECT_EQ(ReadReserveLine(settings_, kFullLineKey, -1)->title, "first");
  EXPECT_EQ(ReadReserveLine(settings_, kFullLineKey, 9)->title, "second");
  EXPECT_EQ(ReadReserveLine(settings_, kFullLineKey, 4), std::nullopt);
  EXPECT_EQ(ReadReserveLine(settings_, kFullLineKey + 1, -1), std::nullopt);
  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_EQ(ReadReserveLine(settings_, kFullLineKey, -1), std::nullopt);
}

}  // namespace
}  // namespace plimod
