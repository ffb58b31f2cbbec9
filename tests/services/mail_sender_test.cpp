#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/program_stop.h"
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

// Whether the process ends (or is only a zombie) within a bound a busy
// machine meets.
// Orphans come to this test program (a subreaper) and are reaped here.
bool ProcessEnds(std::string pid) {
  while (!pid.empty() && pid.back() == '\n') pid.pop_back();
  const auto deadline = steady_clock::now() + std::chrono::seconds(30);
  while (steady_clock::now() < deadline) {
    waitpid(std::atoi(pid.c_str()), nullptr, WNOHANG);
    const std::string stat = ReadFileBytes("/proc/" + pid + "/stat");
    const std::size_t state = stat.rfind(") ");
    if (stat.empty() || (state != std::string::npos && stat.compare(state + 2, 1, "Z") == 0)) return true;
    std::this_thread::sleep_for(milliseconds(10));
  }
  return false;
}

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

  // The process ids a hanging fake stored of what it started.
  std::vector<fs::path> SleeperFiles() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(store_.Path())) {
      if (entry.path().extension() == ".sleeper" && !ReadFileBytes(entry.path()).empty()) files.push_back(entry.path());
    }
    return files;
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
    EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(30));  // not the two-minute limit
  }
}

TEST_F(MailSenderTest, AProgramThatNeverEndsIsKilledWithWhatItStartedAtTheLimit) {
  const ScopedEnv mode("FAKE_MAIL_MODE", "hang");
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  // The limit has to let the fake get as far as hanging; a busy machine
  // gets a longer one.
  std::vector<StoredRun> runs;
  for (const milliseconds limit : {milliseconds(500), milliseconds(4'000), milliseconds(30'000)}) {
    fs::remove_all(store_.Path());
    fs::create_directories(store_.Path());
    SetMailProgramTimeLimit(limit);
    const auto start = steady_clock::now();
    SendMailText(FakeProgram(), kAlert);
    EXPECT_LT(steady_clock::now() - start, limit + std::chrono::seconds(30));
    runs = Runs();
    if (!SleeperFiles().empty()) break;
  }
  SetMailProgramTimeLimit(kMailProgramTimeLimit);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].mail, kAlert);
  // The fake and the "sleep" it started are both gone.
  const std::vector<fs::path> sleepers = SleeperFiles();
  ASSERT_EQ(sleepers.size(), 1u) << "the fake never got to hang";
  EXPECT_TRUE(ProcessEnds(ReadFileBytes(sleepers[0]))) << "sleeper left running";
  EXPECT_TRUE(ProcessEnds(sleepers[0].stem().string())) << "mail program left running";
  prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST_F(MailSenderTest, AStopRequestEndsAHungProgramWithItsGroupLongBeforeTheLimit) {
  const ScopedEnv mode("FAKE_MAIL_MODE", "hang");
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  std::thread mailer([this] { SendMailText(FakeProgram(), kAlert); });
  const auto until = steady_clock::now() + std::chrono::seconds(60);
  while (SleeperFiles().empty() && steady_clock::now() < until) std::this_thread::sleep_for(milliseconds(10));
  const std::vector<fs::path> sleepers = SleeperFiles();
  const auto stopAt = steady_clock::now();
  RequestProgramStop();
  mailer.join();  // with the two-minute limit still in force
  ClearProgramStop();
  EXPECT_LT(steady_clock::now() - stopAt, std::chrono::seconds(30));
  ASSERT_EQ(sleepers.size(), 1u) << "the fake never got to hang";
  const fs::path& sleeper = sleepers[0];
  EXPECT_TRUE(ProcessEnds(ReadFileBytes(sleeper))) << "what it started was left running";
  EXPECT_TRUE(ProcessEnds(sleeper.stem().string())) << "mail program left running";
  prctl(PR_SET_CHILD_SUBREAPER, 0);
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
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(10));  // not the two-minute limit
  EXPECT_TRUE(Runs().empty());
}

}  // namespace
}  // namespace plimod::test
