// Writing the text-file recorder's Program.txt: the appended line, the
// reservation operations in that mode, and the line-by-line rewrite.

#include <gtest/gtest.h>


#include <sys/stat.h>

#include "recorder/text_file/epg_timer_bon_window.h"
#include "recorder/text_file/program_txt_append.h"
#include "recorder/text_file/program_txt_rewrite.h"
#include "recorder/lines/read_reserve_line.h"
#include "recorder/base/recorder_text.h"
#include "recorder/changes/reservations.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/fixed_clock.h"
#include "util/keys.h"

namespace plimod {
namespace {

using test::ReadFileBytes;
using test::Sjis;
using test::WriteFileBytes;

ReserveLine SampleLine() {
  ReserveLine line;
  line.networkId = 32736;
  line.transportStreamId = 32737;
  line.serviceId = 1024;
  line.eventId = 4660;
  line.title = Sjis(L"番組\t名\r\n&lt;b&gt;\uFF5E\u2460");
  line.station = Sjis(L"ＮＨＫ総合");
  line.batchPath = "\"C:\\a b.bat\"";
  line.comment = "c";
  line.recFolder = "D:\\ignored";
  line.start = test::TimeOf(2024, 5, 6, 7, 8, 9);
  line.durationHours = 1;
  line.durationMinutes = 2;
  line.durationSeconds = 3;
  line.priority = 2;
  line.follow = 1;
  line.recordMode = 1;
  line.pittari = 0;
  line.postAction = 3;
  line.marginStart = 60;
  line.serviceOptions = 7;
  return line;
}

const std::string kSampleText = "2024/05/06\t07:08:09\t01:02:03\t" + Sjis(L"番組 名  <b>\uFF5E\u2460") +
                                "\t" + Sjis(L"ＮＨＫ総合") +
                                "\t32736\t32737\t1024\t4660\t2\t1\t0\t1\t0\tC:\\a b.bat\t0\tc\r\n";
constexpr std::uint64_t kSampleKey = ProgramKey(4660, ServiceKey(32736, 32737, 1024));

TEST(FormatProgramTxtLine, FieldsUpToTheCommentWithCleanTexts) {
  EXPECT_EQ(FormatProgramTxtLine(SampleLine()), kSampleText);

  ReserveLine line = SampleLine();
  line.batchPath = "C:\\a\"b.bat";  // not enclosed: kept as it is
  EXPECT_NE(FormatProgramTxtLine(line).find("\tC:\\a\"b.bat\t0\tc\r\n"), std::string::npos);
  line.batchPath.clear();
  EXPECT_NE(FormatProgramTxtLine(line).find("\t0\t1\t0\t\t0\tc\r\n"), std::string::npos);
}

TEST(RecorderText, CleaningAndQuotes) {
  EXPECT_EQ(CleanRecorderText(std::string_view("a\tb\x01&lt;&gt;&amp;&lt")), "a b <>&amp;&lt");
  EXPECT_EQ(CleanRecorderText(std::wstring_view(L"x\ny&gt;")), L"x y>");
  for (const auto& [in, out] : std::vector<std::pair<std::string, std::string>>{
           {"\"a b\"", "a b"}, {"\"a\"b\"", "\"a\"b\""}, {"\"", "\""}, {"\"\"", ""}, {"a\"", "a\""}}) {
    std::string text = in;
    StripQuotes(text);
    EXPECT_EQ(text, out) << in;
  }
}

class ProgramTxtTest : public test::RecorderTest {};

TEST_F(ProgramTxtTest, AddAppendsAndRepairsAMissingLineEnd) {
  ASSERT_TRUE(AddReservation(settings_, SampleLine()));
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), kSampleText);

  WriteFileBytes(ProgramTxt(), "old line");
  ASSERT_TRUE(AddReservation(settings_, SampleLine()));
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), "old line\r\n" + kSampleText);

  // What was added reads back, with its reserve id 0.
  const auto read = ReadReserveLine(settings_, kSampleKey, 0);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->comment, "c");
  EXPECT_EQ(read->batchPath, "C:\\a b.bat");
  EXPECT_TRUE(read->recFolder.empty());
}

TEST_F(ProgramTxtTest, AnAddIsRefusedWhileTheFileHoldsTheProgrammeWhoeverWroteIt) {
  EXPECT_EQ(AddNewReservation(settings_, SampleLine()), AddOutcome::kAdded);
  EXPECT_EQ(AddNewReservation(settings_, SampleLine()), AddOutcome::kAlreadyReserved);
  WriteFileBytes(ProgramTxt(), "");  // the recorder took the line away
  EXPECT_EQ(AddNewReservation(settings_, SampleLine()), AddOutcome::kAdded);
  // Our own append counts at once, though the file is not read again.
  EXPECT_EQ(AddNewReservation(settings_, SampleLine()), AddOutcome::kAlreadyReserved);
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), kSampleText);
  WriteFileBytes(ProgramTxt(), "old line\r\n");
  EXPECT_EQ(AddNewReservation(settings_, SampleLine()), AddOutcome::kAdded);
  WriteFileBytes(ProgramTxt(), kSampleText);
  EXPECT_EQ(AddNewReservation(settings_, SampleLine()), AddOutcome::kAlreadyReserved);
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), kSampleText);
}

TEST_F(ProgramTxtTest, AddFailsWithoutAPlaceToWrite) {
  settings_.SetString(L"EPGDATACAP", L"PROGRAMTXT", Wide(File("missing") / "Program.txt"));
  EXPECT_FALSE(AddReservation(settings_, SampleLine()));
  settings_.SetString(L"EPGDATACAP", L"ENABLE", L"0");
  EXPECT_FALSE(AddReservation(settings_, SampleLine()));
}

TEST_F(ProgramTxtTest, ChangeAndDeleteFailAtOnceInTextFileMode) {
  WriteFileBytes(ProgramTxt(), kSampleText);
  EXPECT_FALSE(ChangeReservation(SampleLine(), kSampleKey, 0));
  EXPECT_FALSE(DeleteReservation(kSampleKey, 0));
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), kSampleText);
  EXPECT_EQ(sleptMs_, 0u);
}

std::string Reservation(int reserveId, const std::string& title) {
  return "2024/05/06\t07:08:09\t01:00:00\t" + title + "\tst\t1\t2\t3\t4\t1\t0\t" +
         std::to_string(reserveId) + "\t1\t0\t0\t0\tcomment\tD:\\rec\t0";
}

TEST_F(ProgramTxtTest, RewriteKeepsWhatItDoesNotTouch) {
  const std::string before = "short\tline\r\n\r\n" + Reservation(1, "keep") + "\n" +
                             Reservation(2, "drop") + "\r\n" + Reservation(3, "change") + "\r" +
                             "\x01control\r\n" + Reservation(4, "last");
  WriteFileBytes(ProgramTxt(), before);
  std::vector<int> seen;
  const auto result = RewriteProgramTxt(
      Wide(ProgramTxt()), [&](const ReserveTextLine& line) -> std::optional<std::string> {
        seen.push_back(LineReserveId(line));
        if (LineReserveId(line) == 2) return std::string();
        if (LineReserveId(line) == 3) return Reservation(3, "changed");
        return std::nullopt;
      });
  EXPECT_EQ(result, RewriteResult::kDone);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), "short\tline\r\n\r\n" + Reservation(1, "keep") + "\n" +
                                             Reservation(3, "changed") + "\r" +
                                             "\x01control\r\n" + Reservation(4, "last"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 2);
}

// The way the list and edit pages change Program.txt: close the recorder,
// rewrite, start it again; once with its window running, once without.
TEST_F(ProgramTxtTest, AddAndRewriteAroundARecorderRestart) {
  const auto program = File("recorder") / "EpgTimer_Bon.exe";
  WriteFileBytes(program, "#!/bin/sh\nexit 0\n");
  ::chmod(program.c_str(), 0755);
  const auto dropSecond = [](const ReserveTextLine& line) -> std::optional<std::string> {
    if (LineReserveId(line) == 2) return std::string();
    return std::nullopt;
  };
  for (const bool running : {true, false}) {
    WriteFileBytes(ProgramTxt(), Reservation(1, "a") + "\r\n" + Reservation(2, "b") + "\r\n");
    if (running) windows_->Add({.title = L"EpgTimer_Bon", .closesAfterLookups = 2});
    std::string reply;
    ReplyWriter out(&reply);
    ASSERT_TRUE(CloseEpgTimerBon(out));
    EXPECT_TRUE(windows_->FindTopLevel(L"EpgTimer_Bon").empty());
    ASSERT_EQ(RewriteProgramTxt(Wide(ProgramTxt()), dropSecond), RewriteResult::kDone);
    ASSERT_TRUE(AddReservation(settings_, SampleLine()));
    if (running) windows_->Add({.title = L"EpgTimer_Bon", .appearsAfterLookups = 1});
    ASSERT_TRUE(RestartEpgTimerBon(settings_, &out, true));
    EXPECT_EQ(ReadFileBytes(ProgramTxt()), Reservation(1, "a") + "\r\n" + kSampleText);
    EXPECT_TRUE(reply.empty());
    for (const RecorderWindowId id : windows_->FindTopLevel(L"EpgTimer_Bon")) windows_->Remove(id);
  }
  EXPECT_EQ(windows_->CloseRequests(), 1);
}

TEST_F(ProgramTxtTest, RewriteChangesNothingWhenItCannotReadOrWrite) {
  const auto dropAll = [](const ReserveTextLine&) { return std::optional<std::string>(""); };
  EXPECT_EQ(RewriteProgramTxt(Wide(ProgramTxt()), dropAll), RewriteResult::kUnreadable);
  EXPECT_FALSE(std::filesystem::exists(ProgramTxt()));

  // A full disk: the temporary file cannot take the new text.
  const std::string before = Reservation(1, "a") + "\r\n" + "x\r\n" + std::string(4096, 'p');
  WriteFileBytes(ProgramTxt(), before);
  RewriteResult result;
  {
    test::ScopedFileSizeLimit full(64);
    ASSERT_TRUE(full.ok());
    result = RewriteProgramTxt(Wide(ProgramTxt()), dropAll);
  }
  EXPECT_EQ(result, RewriteResult::kWriteFailed);
  EXPECT_EQ(ReadFileBytes(ProgramTxt()), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 2);
}

}  // namespace
}  // namespace plimod
