#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "services/child_process.h"
#include "services/mail_sender.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::steady_clock;

const fs::path kFakeMailProgram = PLIMOD_SOURCE_DIR "/tests/fakes/mail/sendmail";

// A recording alert as the watcher words it, in code page 932 ("表" has a
// backslash as its second byte; nothing may treat it as one).
const std::string kAlert =
    "To: rec@example.jp\nSubject: EDCB ALERT\n\n\x95\x5C\x8E\xA6\x83\x68\x83\x8D\x83\x62\x83\x76 10\n";

struct StoredRun {
  std::string args, pwd, mail, fd;
};

class MailSenderTest : public ::testing::Test {
 protected:
  std::wstring FakeProgram() const { return kFakeMailProgram.wstring(); }

  // What each run of the fake mail program stored, by its process id.
  std::vector<StoredRun> Runs() const {
    std::set<std::string> pids;
    for (const auto& entry : fs::directory_iterator(store_.Path())) pids.insert(entry.path().stem().string());
    std::vector<StoredRun> runs;
    for (const std::string& pid : pids) {
      const fs::path base = store_.Path() / pid;
      runs.push_back({ReadFileBytes(base.string() + ".args"), ReadFileBytes(base.string() + ".pwd"),
                      ReadFileBytes(base.string() + ".mail"), ReadFileBytes(base.string() + ".fd")});
    }
    return runs;
  }

  TempFolder store_{"mail-store"};
  ScopedEnv storeEnv_{"FAKE_MAIL_DIR", store_.Path().c_str()};
};

TEST_F(MailSenderTest, TheProgramGetsMinusTTheExactBytesAndNothingElseOfOurs) {
  // A descriptor left inheritable by mistake must still not reach the child.
  const int leaked = fcntl(STDOUT_FILENO, F_DUPFD, 200);
  ASSERT_GE(leaked, 0);
  const ScopedEnv fdEnv("FAKE_MAIL_FD", std::to_string(leaked).c_str());
  SendMailText(FakeProgram(), kAlert);
  close(leaked);
  const std::vector<StoredRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, "-t\n");
  EXPECT_EQ(runs[0].pwd, kFakeMailProgram.parent_path().string() + "\n");
  EXPECT_EQ(runs[0].mail, kAlert);
  EXPECT_EQ(runs[0].fd, "closed\n");
}

TEST_F(MailSenderTest, TheProgramIsChosenFromTheSettingsAndTheProgramFolder) {
  TempFolder home("mail-home");
  const ScopedEnv homeEnv("PLIMOD_HOME", home.Path().c_str());
  const std::wstring dir = home.Path().wstring() + L"/";
  IniFile settings;
  EXPECT_EQ(ResolveSendmailPath(settings), dir + L"sendmane.exe");
  settings.SetString(L"SYOBOI_ALERT", L"SENDMAILPATH", L"msmtp");
  EXPECT_EQ(ResolveSendmailPath(settings), dir + L"msmtp");
  settings.SetString(L"EDCB_ALERT", L"SENDMAILPATH", L"");
  EXPECT_EQ(ResolveSendmailPath(settings), dir + L"msmtp");  // empty counts as missing
  settings.SetString(L"EDCB_ALERT", L"SENDMAILPATH", L"/usr/sbin/sendmail");
  EXPECT_EQ(ResolveSendmailPath(settings), L"/usr/sbin/sendmail");

  // The default name in the program folder is started there.
  fs::copy_file(kFakeMailProgram, home.File("sendmane.exe"));
  SendMailText(ResolveSendmailPath(IniFile()), kAlert);
  const std::vector<StoredRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].pwd, home.Path().string() + "\n");
  EXPECT_EQ(runs[0].mail, kAlert);
}

TEST_F(MailSenderTest, ChattyAndEarlyEndingProgramsNeitherBlockNorHurtUs) {
  // Larger than a pipe holds, both ways.
  std::string longMail = kAlert + std::string(300 * 1024, 'y') + "\n";
  {
    const ScopedEnv mode("FAKE_MAIL_MODE", "chatty");
    SendMailText(FakeProgram(), longMail);
    const std::vector<StoredRun> runs = Runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].mail, longMail);
  }
  {
    // Writing to a program that has gone raises SIGPIPE, which would end
    // this test program.
    const ScopedEnv mode("FAKE_MAIL_MODE", "early");
    const auto start = steady_clock::now();
    SendMailText(FakeProgram(), longMail);
    EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5));
  }
}

TEST_F(MailSenderTest, AProgramThatNeverEndsIsKilledWithWhatItStartedAtTheLimit) {
  const ScopedEnv mode("FAKE_MAIL_MODE", "hang");
  SetMailProgramTimeLimit(milliseconds(500));
  const auto start = steady_clock::now();
  SendMailText(FakeProgram(), kAlert);
  SetMailProgramTimeLimit(kMailProgramTimeLimit);
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5));
  const std::vector<StoredRun> runs = Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].mail, kAlert);
  // The fake became "sleep" under its own process id: gone and reaped.
  for (const auto& entry : fs::directory_iterator(store_.Path())) {
    EXPECT_FALSE(fs::exists("/proc/" + entry.path().stem().string())) << entry.path();
  }
}

TEST_F(MailSenderTest, MailsFromTwoThreadsAtOnceBothArriveWhole) {
  const std::string first = kAlert + std::string(100 * 1024, '1') + "\n";
  const std::string second = kAlert + std::string(100 * 1024, '2') + "\n";
  std::thread other([&] { SendMailText(FakeProgram(), first); });
  SendMailText(FakeProgram(), second);
  other.join();
  std::multiset<std::string> mails;
  for (const StoredRun& run : Runs()) mails.insert(run.mail);
  EXPECT_EQ(mails, (std::multiset<std::string>{first, second}));
}

TEST_F(MailSenderTest, AMissingProgramLosesTheMailAtOnce) {
  const auto start = steady_clock::now();
  SendMailText(store_.Path().wstring() + L"/no-such-mailer", kAlert);
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(Runs().empty());
}

TEST_F(MailSenderTest, TheRunnerReportsTheExitCodeAndFreesItsSlot) {
  ChildProcess child;
  const auto deadline = steady_clock::now() + std::chrono::seconds(20);
  for (const char* mode : {"fail", ""}) {
    const ScopedEnv modeEnv("FAKE_MAIL_MODE", mode);
    ASSERT_TRUE(StartChildProcessWith(child, FakeProgram(), L"-t  -i", L""));
    EXPECT_TRUE(WriteChildInput(child, "To: x\n\n", deadline));
    EXPECT_EQ(WaitChildProcess(child, deadline), *mode ? 1 : 0);
    EXPECT_EQ(GetChildExitCode(child), *mode ? 1 : 0);
    EXPECT_EQ(child.pid, -1);
    EXPECT_FALSE(child.output.valid());
    EXPECT_TRUE(child.program.empty());
  }
  for (const StoredRun& run : Runs()) EXPECT_EQ(run.args, "-t\n-i\n");
  EXPECT_FALSE(PollChildProcess(child));
}

}  // namespace
}  // namespace plimod::test
