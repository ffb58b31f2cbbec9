#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "platform/text_codec.h"
#include "services/recording_alert.h"
#include "services/recording_results.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

const fs::path kFakeMailProgram = PLIMOD_SOURCE_DIR "/tests/fakes/mail/sendmail";

std::string Cp932(const wchar_t* text) { return WideToCp932(text); }

// A Program.txt line of the recorder with ids 1/2/3/eid and a result.
std::string ReserveLine(int eventId, const std::string& title, const std::string& comment) {
  return "2026/12/09\t20:00:00\t00:30:00\t" + title + "\tNHK\t1\t2\t3\t" + std::to_string(eventId) +
         "\t1\t0\t5\t0\t0\t0\t\t" + comment + "\t\t0\r\n";
}

// An error-count line with its drop count at byte 25.
std::string DropLine(int drops) {
  std::string line = "PID: 0x0100  Total: 999 ";
  line.resize(25, ' ');
  return line + std::to_string(drops) + "  Scramble: 0";
}

TEST(RecordingResultsTest, AbnormalCommentsAreReportedWhenNewOrChanged) {
  RecordingResults results;
  std::string alert;
  const std::string ended = Cp932(L"録画終了 正常");
  const std::string failed = Cp932(L"録画失敗 チューナー不足");
  TakeResultComments(results,
                     ReserveLine(1, "A", ended) + ReserveLine(2, "B", failed) + ReserveLine(3, "C", ""), alert);
  EXPECT_EQ(alert, "B\n" + failed + "\n");
  EXPECT_EQ(results.comments.size(), 1u);

  alert.clear();
  TakeResultComments(results, ReserveLine(2, "B", failed), alert);
  EXPECT_EQ(alert, "");  // unchanged: not again
  TakeResultComments(results, ReserveLine(2, "B", "other") + "short\tline\r\n", alert);
  EXPECT_EQ(alert, "B\nother\n");
  // A line of 16 fields is no reservation.
  alert.clear();
  TakeResultComments(results, "a\tb\tc\td\te\t1\t2\t3\t9\tf\tg\th\ti\tj\tk\tl\r\n", alert);
  EXPECT_EQ(alert, "");
}

TEST(RecordingResultsTest, DropCountsAreReadAtByte25UpToTheFirstEmptyLine) {
  EXPECT_EQ(HighestDropCount(DropLine(3) + "\r\n" + DropLine(12) + "\r\n" + DropLine(7) + "\r\n"), 12);
  EXPECT_EQ(HighestDropCount(DropLine(3) + "\r" + DropLine(11) + "\r"), 11);  // CR alone ends a line
  EXPECT_EQ(HighestDropCount(DropLine(3) + "\r\n\r\n" + DropLine(40) + "\r\n"), 3);
  // LF alone does not end a line: the first count is all that is read.
  EXPECT_EQ(HighestDropCount(DropLine(3) + "\n" + DropLine(40) + "\n"), 3);
  EXPECT_EQ(HighestDropCount(std::string(25, ' ') + "\r\n" + std::string(24, 'x') + "9\r\n"), 0);
  EXPECT_EQ(HighestDropCount(""), 0);
}

TEST(RecordingResultsTest, ErrorFilesAreReportedOnceUntilSixteenOthersWere) {
  TempFolder folder("recording-errors");
  RecordingResults results;
  std::string alert;
  WriteFileBytes(folder.File("nine.ts.err"), DropLine(9) + "\r\n");
  CheckRecordingErrorFile(results, folder.Path().wstring(), L"nine.ts.err", alert);
  EXPECT_EQ(alert, "");
  CheckRecordingErrorFile(results, folder.Path().wstring(), L"missing.ts.err", alert);
  EXPECT_EQ(alert, "");

  const std::wstring name = L"番組.ts.err";
  WriteFileBytes(folder.File(WideToUtf8String(name)), DropLine(10) + "\r\n");
  CheckRecordingErrorFile(results, folder.Path().wstring(), name, alert);
  EXPECT_EQ(alert, Cp932(L"番組.ts.err") + "\nDrop:10\n");
  CheckRecordingErrorFile(results, folder.Path().wstring(), name, alert);
  EXPECT_EQ(alert, Cp932(L"番組.ts.err") + "\nDrop:10\n");

  for (int i = 0; i < kReportedErrorFileSlots; ++i) {
    const std::string other = "other" + std::to_string(i) + ".ts.err";
    WriteFileBytes(folder.File(other), DropLine(20) + "\r\n");
    CheckRecordingErrorFile(results, folder.Path().wstring(), Utf8ToWide(other), alert);
  }
  alert.clear();
  CheckRecordingErrorFile(results, folder.Path().wstring(), name, alert);
  EXPECT_EQ(alert, Cp932(L"番組.ts.err") + "\nDrop:10\n");
}

TEST(RecordingResultsTest, TheMailIsCutOnACharacterBoundary) {
  EXPECT_EQ(EdcbAlertMail(L"rec@example.jp", "x\n"), "To: rec@example.jp\nSubject: EDCB ALERT\n\nx\n");
  const std::string mail = EdcbAlertMail(L"a@b", std::string(1, 'x') + Cp932(std::wstring(9000, L'表').c_str()));
  EXPECT_LE(mail.size(), 16383u);
  EXPECT_EQ(Cp932CutPoint(mail, mail.size()), mail.size());
  EXPECT_EQ(mail.size() % 2, 0u);  // "x" plus whole two-byte characters after the header
}

class RecordingWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRecordingResultsForTesting();
    SetRecordingWatchPauses(milliseconds(10), milliseconds(10));
    fs::create_directories(recordings_.Path() / "second");
    WriteFileBytes(ProgramTxt(), ReserveLine(1, "Old", Cp932(L"録画失敗 前から")));
    Set(L"EPGDATACAP", L"ENABLE", L"1");
    Set(L"EPGDATACAP", L"PROGRAMTXT", ProgramTxt().wstring());
    Set(L"EDCB_ALERT", L"ENABLE", L"1");
    Set(L"EDCB_ALERT", L"EMAIL", L"rec@example.jp");
    Set(L"EDCB_ALERT", L"SENDMAILPATH", kFakeMailProgram.wstring());
    settings_.SetString(L"EDCB_RECDIR", nullptr, (recordings_.Path() / "missing").wstring());
    settings_.SetString(L"EDCB_RECDIR", nullptr, recordings_.Path().wstring());
  }
  void TearDown() override {
    StopRecordingFolderWatch();
    SetRecordingWatchPauses(milliseconds(100), milliseconds(1000));
  }

  void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    settings_.SetString(section, key, value);
  }
  fs::path ProgramTxt() const { return reserve_.File("Program.txt"); }

  // The mails the fake program received, once there are `count` (or the
  // bound, generous for a busy machine, passed).
  std::multiset<std::string> Mails(std::size_t count) const {
    std::multiset<std::string> mails;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      mails.clear();
      for (const auto& entry : fs::directory_iterator(store_.Path())) {
        if (entry.path().extension() == ".mail") mails.insert(ReadFileBytes(entry.path()));
      }
      if (mails.size() >= count) break;
      std::this_thread::sleep_for(milliseconds(10));
    }
    return mails;
  }

  static std::string Mail(const std::string& body) {
    return "To: rec@example.jp\nSubject: EDCB ALERT\n\n" + body;
  }

  TempFolder reserve_{"alert-reserve"};
  TempFolder recordings_{"alert-recordings"};
  TempFolder store_{"alert-mail"};
  ScopedEnv storeEnv_{"FAKE_MAIL_DIR", store_.Path().c_str()};
  IniFile settings_;
};

TEST_F(RecordingWatchTest, NewResultsAndDropsAreMailedOnceAndAFailedReloadMailsNothing) {
  ConfigureEdcbAlert(settings_);
  ASSERT_TRUE(RecordingFolderWatchRunning());
  const std::string old = ReserveLine(1, "Old", Cp932(L"録画失敗 前から"));
  const std::string failed = Cp932(L"録画失敗 チューナー不足");

  // The comment there at the start is not mailed; the new one is, once,
  // also when the file is replaced by rename, as the program saves it.
  ASSERT_TRUE(ReplaceFileAtomically(ProgramTxt().string(), old + ReserveLine(2, "New", failed)));
  EXPECT_EQ(Mails(1), std::multiset<std::string>{Mail("New\n" + failed + "\n")});

  // A read that finds nothing keeps what was known: the same comments
  // read again afterwards are not new.
  WriteFileBytes(ProgramTxt(), "");
  WriteFileBytes(ProgramTxt(), old + ReserveLine(2, "New", failed));
  // Files that do not count: another file, an error file beside Program.txt,
  // a suffix in capitals, a count of 9.
  WriteFileBytes(reserve_.File("other.txt"), "x");
  WriteFileBytes(reserve_.File("beside.ts.err"), DropLine(50) + "\r\n");
  WriteFileBytes(recordings_.File("LOUD.TS.ERR"), DropLine(50) + "\r\n");
  WriteFileBytes(recordings_.File("nine.ts.err"), DropLine(9) + "\r\n");
  WriteFileBytes(recordings_.Path() / "second" / "deep.ts.err", DropLine(50) + "\r\n");
  std::this_thread::sleep_for(milliseconds(200));
  WriteFileBytes(recordings_.File("ten.ts.err"), DropLine(4) + "\r\n" + DropLine(10) + "\r\n");
  const std::multiset<std::string> mails = Mails(2);
  EXPECT_EQ(mails, (std::multiset<std::string>{Mail("New\n" + failed + "\n"), Mail("ten.ts.err\nDrop:10\n")}));

  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(StopRecordingFolderWatch());
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(4));  // woken, not timed out
  EXPECT_FALSE(RecordingFolderWatchRunning());
}

TEST_F(RecordingWatchTest, ARestartedWatcherReportsWhatChangedWhileItWasStopped) {
  ConfigureEdcbAlert(settings_);
  ASSERT_TRUE(RecordingFolderWatchRunning());
  EXPECT_TRUE(StopRecordingFolderWatch());
  WriteFileBytes(ProgramTxt(), ReserveLine(1, "Old", "changed"));
  ConfigureEdcbAlert(settings_);
  EXPECT_EQ(Mails(1), std::multiset<std::string>{Mail("Old\nchanged\n")});
}

TEST_F(RecordingWatchTest, NothingIsWatchedWithoutTheSwitchOrTheMailProgram) {
  Set(L"EDCB_ALERT", L"SENDMAILPATH", (store_.Path() / "no-such-program").wstring());
  ConfigureEdcbAlert(settings_);
  EXPECT_FALSE(RecordingFolderWatchRunning());
  Set(L"EDCB_ALERT", L"SENDMAILPATH", kFakeMailProgram.wstring());
  Set(L"EDCB_ALERT", L"ENABLE", L"0");
  ConfigureEdcbAlert(settings_);
  EXPECT_FALSE(RecordingFolderWatchRunning());
  EXPECT_FALSE(StopRecordingFolderWatch());
}

}  // namespace
}  // namespace plimod::test
