// The demo as a new user meets it: scripts/start-demo.sh run unchanged in
// a copy of the tree's layout (scripts/, build/bin, public_html/), so it
// makes its demo folder there, prints its addresses and runs the program on
// the demo port. The front page is loaded in headless Chromium and
// photographed (kept under <build>/test-artifacts/demo/). A newcomer's round
// of reserving, starting the script again, editing, disabling and
// restarting runs in Chromium through the program's own links.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "epg/search_condition.h"
#include "guide/epg_page/epg_page_style.h"
#include "platform/file.h"
#include "platform/text_codec.h"
#include "settings/ini_file.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/headless_chromium.h"
#include "tests/support/loopback_port.h"
#include "tests/support/program_home.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using plimod::test::CommandOutput;

const fs::path kArtifacts = PLIMOD_BINARY_DIR "/test-artifacts/demo";
const fs::path kSource = PLIMOD_SOURCE_DIR;
const std::string kDemoAddress = "http://127.0.0.1:18990";

std::string Fetch(const std::string& url) { return CommandOutput("curl -s --max-time 60 '" + url + "'"); }
// As a browser follows a link of a page: with that page as the Referer.
std::string FollowFrom(const std::string& page, const std::string& url) {
  return CommandOutput("curl -s --max-time 40 -H 'Referer: " + page + "' '" + url + "'");
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The printed address lines ("  http://...") with the line after each.
std::vector<std::pair<std::string, std::string>> PrintedAddresses(const std::string& output) {
  std::vector<std::pair<std::string, std::string>> addresses;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("  http://")) continue;
    std::string description;
    std::getline(lines, description);
    addresses.emplace_back(line.substr(2), description);
  }
  return addresses;
}

// The pieces of a page that begin with `marker`, each up to the next.
std::vector<std::string> PiecesFrom(const std::string& html, const std::string& marker) {
  std::vector<std::string> pieces;
  std::size_t at = html.find(marker);
  while (at != std::string::npos) {
    const std::size_t next = html.find(marker, at + 1);
    pieces.push_back(html.substr(at, next == std::string::npos ? std::string::npos : next - at));
    at = next;
  }
  return pieces;
}

// The hit cells of a search grid, as the page or the browser writes them.
std::vector<std::string> HitCells(const std::string& html) { return PiecesFrom(html, "<td rowspan="); }

// The saved conditions that take part in the search, with the colour of
// their own (empty when their hits take the genre colour).
std::vector<std::pair<int, std::string>> EnabledConditions(const fs::path& settingsFile) {
  plimod::IniFile settings;
  std::vector<std::pair<int, std::string>> conditions;
  if (!settings.Load(plimod::Utf8ToWide(settingsFile.string()), false)) return conditions;
  for (int n = 1; n <= plimod::SearchConditionCount(settings); ++n) {
    const std::wstring section = plimod::SearchSectionName(n);
    if (settings.HasSection(section.c_str()) && settings.GetIntDefault(section.c_str(), L"ENABLE", 0) != 0) {
      conditions.emplace_back(n, plimod::ConditionColour(settings, n));
    }
  }
  return conditions;
}

// A copy of the tree's layout in which the start script runs as it does in
// a checkout; its demo folder is made beside it.
class DemoTree {
 public:
  DemoTree() : root_("plimod-demo") {
    fs::create_directories(root_.Path() / "scripts");
    fs::copy_file(kSource / "scripts/start-demo.sh", root_.Path() / "scripts/start-demo.sh");
    fs::create_directories(root_.Path() / "build");
    fs::create_directory_symlink(plimod::test::kBuiltPrograms, root_.Path() / "build/bin");
    fs::copy(kSource / "public_html", root_.Path() / "public_html", fs::copy_options::recursive);
  }
  ~DemoTree() { Stop(); }

  fs::path Home() const { return root_.Path() / "demo-home"; }
  // A demo folder from before the saved conditions, with a port of its own.
  void WriteOlderSettings(int port) const {
    const std::wstring settings = L"[SYSTEM]\r\nLOG=1\r\nHTTPPORT=" + std::to_wstring(port) + L"\r\nEPGDATAFOLDER=" +
                                  plimod::Utf8ToWide((Home() / "epg").string()) + L"/\r\n";
    fs::create_directories(Home());
    std::ofstream(Home() / "plimo.ini", std::ios::binary) << "\xFF\xFE" << plimod::WideToUtf16Le(settings);
  }
  std::string Output() const { return plimod::test::ReadFileBytes(root_.File("start-demo.out")); }

  // Runs the script in the foreground of a child, its output to a file.
  bool Start() {
    // The last run's addresses must not pass for this run's.
    fs::remove(root_.File("start-demo.out"));
    pid_ = RunScript("start-demo.out");
    return pid_ > 0;
  }
  // Ends the demo as Ctrl+C would.
  void Stop() {
    plimod::test::StopProcess(pid_, 10s);
    pid_ = 0;
  }
  bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
  pid_t ScriptPid() const { return pid_; }

  // Runs the script once more beside the running demo; its exit status
  // and output, or nothing when it did not end.
  std::optional<std::pair<int, std::string>> StartAgain() const {
    const pid_t pid = RunScript("start-demo-again.out");
    const std::optional<int> status = plimod::test::WaitForExit(pid, 30s);
    if (!status) plimod::test::StopProcess(pid, 1s);
    if (!status || !WIFEXITED(*status)) return std::nullopt;
    return std::pair{WEXITSTATUS(*status), plimod::test::ReadFileBytes(root_.File("start-demo-again.out"))};
  }

  // The script's wait status once it has ended; nothing when it has
  // printed an address or still runs after `bound`.
  std::optional<int> WaitForEndWithoutAddresses(std::chrono::seconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (std::chrono::steady_clock::now() < end && !Contains(Output(), "  http://")) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        return status;
      }
      std::this_thread::sleep_for(100ms);
    }
    return std::nullopt;
  }

  // Waits until the script has printed its last address line.
  bool WaitForAddresses() const {
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < end) {
      if (Contains(Output(), "?mode=epg\n")) return true;
      std::this_thread::sleep_for(100ms);
    }
    return false;
  }

 private:
  pid_t RunScript(const std::string& output) const {
    std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=" + root_.Path().string()};
    plimod::test::AddSanitizerOptions(env);
    return plimod::test::StartProcess(
        "/bin/bash",
        {"-c", "exec bash \"$0\" >\"$1\" 2>&1", (root_.Path() / "scripts/start-demo.sh").string(),
         root_.File(output).string()},
        env);
  }

  plimod::test::TempFolder root_;
  pid_t pid_ = 0;
};

// Up once the first EPG load is done and the front page has hits.
bool WaitForHits() {
  const auto end = std::chrono::steady_clock::now() + 90s;
  while (std::chrono::steady_clock::now() < end) {
    if (Contains(Fetch(kDemoAddress + "/"), "<span class=title>")) return true;
    std::this_thread::sleep_for(200ms);
  }
  return false;
}

class DemoFrontPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Something else on the demo port would answer in the demo's place.
    busyPort_ = !Fetch(kDemoAddress + "/").empty();
    if (busyPort_) return;
    tree_ = new DemoTree();
    started_ = tree_->Start() && tree_->WaitForAddresses() && WaitForHits();
    fs::create_directories(kArtifacts);
  }
  static void TearDownTestSuite() {
    delete tree_;
    tree_ = nullptr;
  }

  void SetUp() override {
    ASSERT_FALSE(busyPort_) << kDemoAddress << " already answers (a demo running?)";
    ASSERT_TRUE(started_) << "the demo showed no hits on its front page:\n" << tree_->Output();
  }

  static inline DemoTree* tree_ = nullptr;
  static inline bool started_ = false;
  static inline bool busyPort_ = false;
};

TEST_F(DemoFrontPageTest, FrontPageShowsHitsOfEverySavedConditionInItsColour) {
  const std::string chromium = plimod::test::FindChromium();
  PLIMOD_SKIP_WITHOUT_CHROMIUM(chromium);
  const auto conditions = EnabledConditions(tree_->Home() / "plimo.ini");
  ASSERT_GE(conditions.size(), 5u) << "the demo's settings lost their saved conditions";
  EXPECT_TRUE(std::any_of(conditions.begin(), conditions.end(), [](const auto& c) { return !c.second.empty(); }))
      << "no saved condition draws its hits in a colour of its own";

  const fs::path shot = kArtifacts / "front_page.png";
  fs::remove(shot);
  std::string log;
  plimod::test::ScreenshotWhen(chromium, "--window-size=1400,2400", kDemoAddress + "/", "true", shot, log);
  EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u) << "no screenshot of the front page";
  const std::string dom = plimod::test::DumpDomWhen(chromium, "--window-size=1400,1000", kDemoAddress + "/",
                                                    "document.querySelector('td[rowspan]') !== null", log);
  EXPECT_FALSE(Contains(log, "Uncaught")) << log;
  std::ofstream(kArtifacts / "front_page.txt") << dom;

  const std::vector<std::string> cells = HitCells(dom);
  for (const auto& [number, colour] : conditions) {
    const std::string note = "(No." + std::to_string(number) + ")";
    int hits = 0;
    int coloured = 0;
    for (const std::string& cell : cells) {
      if (!Contains(cell, note)) continue;
      ++hits;
      if (Contains(cell, "bgcolor=\"" + colour + "\"")) ++coloured;
    }
    EXPECT_GT(hits, 0) << "no hit of condition " << number << " on the front page";
    if (!colour.empty()) {
      EXPECT_EQ(coloured, hits) << "hits of condition " << number << " not drawn in " << colour;
    }
  }
}

// A new user reserves from the table at once: the small "e" link of a
// programme reaches the demo's stand-in recorder, and the table then marks
// the programme reserved; a second click removes the reservation.
TEST_F(DemoFrontPageTest, TableLinkReservesAndTheTableMarksTheProgramme) {
  const std::string tablePage = kDemoAddress + "/?mode=epg";
  std::smatch found;
  const std::string table = Fetch(tablePage);
  ASSERT_TRUE(std::regex_search(table, found, std::regex("\\?cmd=edc&sid=[0-9a-f]+&eid=[0-9a-f]+&q=1")));
  const std::string link = found.str();
  // The browser's DOM writes the link's "&" as "&amp;".
  const std::string domLink = std::regex_replace(link, std::regex("&"), "&amp;");
  const auto cellOf = [&link, &domLink](const std::string& html) {
    for (const std::string& cell : HitCells(html)) {
      if (Contains(cell, link) || Contains(cell, domLink)) return cell.substr(0, cell.find('>'));
    }
    return std::string("(no cell)");
  };
  EXPECT_TRUE(Contains(cellOf(table), "class=norm")) << cellOf(table);

  EXPECT_TRUE(Contains(FollowFrom(tablePage, kDemoAddress + "/" + link), "登録しました<BR>"));
  EXPECT_TRUE(Contains(cellOf(Fetch(tablePage)), "class=resv")) << cellOf(Fetch(tablePage));

  const std::string chromium = plimod::test::FindChromium();
  EXPECT_FALSE(chromium.empty() && plimod::test::BrowserChecksRequired()) << plimod::test::kNoChromium;
  if (!chromium.empty()) {
    const fs::path shot = kArtifacts / "programme_table_reserved.png";
    fs::remove(shot);
    std::string log;
    plimod::test::ScreenshotWhen(chromium, "--window-size=1400,1400", tablePage, "true", shot, log);
    EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u) << "no screenshot of the programme table";
    const std::string dom = plimod::test::DumpDomWhen(chromium, "--window-size=1400,1000", tablePage,
                                                      "document.querySelector('td.resv') !== null", log);
    EXPECT_TRUE(std::regex_search(cellOf(dom), std::regex("class=\"?resv"))) << cellOf(dom);
  }

  EXPECT_TRUE(Contains(FollowFrom(tablePage, kDemoAddress + "/" + link), "予約を削除しました"));
  EXPECT_TRUE(Contains(cellOf(Fetch(tablePage)), "class=norm"));
}

TEST_F(DemoFrontPageTest, EveryDayOfTheWeekHasHits) {
  const std::string week = Fetch(kDemoAddress + "/?range=7");
  const std::vector<std::string> days = PiecesFrom(week, "<TABLE bgcolor=#202020");
  ASSERT_EQ(days.size(), 7u);
  // Before 05:00 the first table is the broadcast day the demo data begin
  // in the middle of; the six after it are always whole.
  for (std::size_t day = 1; day < days.size(); ++day) {
    EXPECT_FALSE(HitCells(days[day]).empty()) << "no hits on day " << day + 1 << " of the week";
  }
}

TEST_F(DemoFrontPageTest, PrintedAddressesShowWhatTheirLinesSayAndAreTheReadmes) {
  const auto addresses = PrintedAddresses(tree_->Output());
  ASSERT_EQ(addresses.size(), 2u) << tree_->Output();
  EXPECT_EQ(addresses[0].first, kDemoAddress + "/");
  EXPECT_TRUE(Contains(addresses[0].second, "saved search")) << addresses[0].second;
  EXPECT_EQ(addresses[1].first, kDemoAddress + "/?mode=epg");
  EXPECT_TRUE(Contains(addresses[1].second, "programme table")) << addresses[1].second;

  // The view each page marks as the current one.
  EXPECT_TRUE(std::regex_search(Fetch(addresses[0].first), std::regex("<span class=on><A HREF='\\?[^']*'>検索</A>")));
  EXPECT_TRUE(
      std::regex_search(Fetch(addresses[1].first), std::regex("<span class=on><A HREF='\\?mode=epg&[^']*'>番組表</A>")));

  // The README's opening, up to its first heading, names both.
  const std::string readme = plimod::test::ReadFileBytes(kSource / "README.md");
  const std::string opening = readme.substr(0, readme.find("\n## "));
  for (const auto& [address, description] : addresses) {
    EXPECT_TRUE(Contains(opening, address)) << address << " is not in the README's opening";
  }
}

// A demo folder from before the saved conditions keeps its settings (here
// its own port); the script says how to start afresh.
TEST(DemoStartTest, ExistingDemoFolderKeepsItsSettings) {
  DemoTree tree;
  const int port = plimod::test::FreeLoopbackPort();
  tree.WriteOlderSettings(port);

  ASSERT_TRUE(tree.Start());
  ASSERT_TRUE(tree.WaitForAddresses()) << tree.Output();
  ASSERT_TRUE(fs::exists(tree.Home() / "plimo.ini"));
  const std::string output = tree.Output();
  EXPECT_TRUE(Contains(output, "  http://127.0.0.1:" + std::to_string(port) + "/\n")) << output;
  EXPECT_TRUE(Contains(output, "delete it to start afresh")) << output;
  EXPECT_TRUE(EnabledConditions(tree.Home() / "plimo.ini").empty());
}

// With another program on the port the addresses would open that one: the
// script says so and stops the program, which ends cleanly.
TEST(DemoStartTest, TakenPortStopsTheProgramInsteadOfPrintingTheAddresses) {
  plimod::UniqueFd other(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(other.get(), reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(other.get(), 1), 0);
  ::getsockname(other.get(), reinterpret_cast<sockaddr*>(&address), &length);
  const int port = ntohs(address.sin_port);
  DemoTree tree;
  tree.WriteOlderSettings(port);

  ASSERT_TRUE(tree.Start());
  const std::optional<int> status = tree.WaitForEndWithoutAddresses(90s);
  ASSERT_TRUE(status) << tree.Output();
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
  EXPECT_TRUE(Contains(tree.Output(), "port " + std::to_string(port) + " is taken")) << tree.Output();
  const std::string log =
      plimod::WideToUtf8String(plimod::Cp932ToWide(plimod::test::ReadFileBytes(tree.Home() / "lumo.log")));
  EXPECT_TRUE(log.ends_with(": lumod終了\n")) << log;
}

// The link whose text is `label`, and the first link whose address holds
// `part`, as the browser finds them.
std::string LinkLabelled(const std::string& label) {
  return "Array.prototype.find.call(document.links, function (a) { return a.textContent === '" + label + "'; })";
}
std::string LinkTo(const std::string& part) { return "document.querySelector(\"a[href*='" + part + "']\")"; }

// While the program reloads its data (as a second start of the script asks
// it to) its pages answer "Epgデータ読み込み中" and ask to be loaded again.
// Runs `steps` (which begin by opening an address) again, as a person
// would, until they end on a page that is not that answer.
bool UntilNotReloading(plimod::test::ChromiumPage& browser, const std::function<bool()>& steps) {
  const auto end = std::chrono::steady_clock::now() + 90s;
  for (;;) {
    const bool done = steps();
    if (!Contains(browser.Text(), "Epgデータ読み込み中")) return done;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(200ms);
  }
}

// The words of a process's NUL-separated /proc file (cmdline, environ).
std::vector<std::string> ProcWords(pid_t pid, const char* file) {
  std::vector<std::string> words;
  std::istringstream text(plimod::test::ReadFileBytes("/proc/" + std::to_string(pid) + "/" + file));
  for (std::string word; std::getline(text, word, '\0');) words.push_back(word);
  return words;
}

// Whether the process has ended (gone, or a zombie its parent has yet to reap).
bool Ended(pid_t pid) {
  const std::string stat = plimod::test::ReadFileBytes("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t name = stat.rfind(')');
  return name == std::string::npos || stat.compare(name + 2, 1, "Z") == 0;
}

// The demo's stand-in recorder, stopped as if it had gone away and started
// again as the script starts it: its own command line and environment,
// with this test as the parent it ends with.
class StandIn {
 public:
  explicit StandIn(pid_t script) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      const pid_t pid = std::stoi(name);
      const std::vector<std::string> args = ProcWords(pid, "cmdline");
      if (args.empty() || !args[0].ends_with("/fake_epgtimersrv")) continue;
      if (std::find(args.begin(), args.end(), std::to_string(script)) == args.end()) continue;
      pid_ = pid;
      args_ = args;
      env_ = ProcWords(pid, "environ");
    }
  }
  bool Found() const { return pid_ > 0; }
  bool Stop() {
    ::kill(pid_, SIGTERM);
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!Ended(pid_) && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(50ms);
    return Ended(pid_);
  }
  // Once it listens again.
  bool Start() {
    std::vector<std::string> args(args_.begin() + 1, args_.end());
    const auto parent = std::find(args.begin(), args.end(), "--parent");
    if (parent != args.end() && parent + 1 != args.end()) *(parent + 1) = std::to_string(::getpid());
    restarted_ = std::make_unique<plimod::test::StartedProcess>(plimod::test::StartProcess(args_[0], args, env_));
    std::string pipes;
    for (const std::string& entry : env_) {
      if (entry.starts_with("EPGTIMER_PIPE_DIR=")) pipes = entry.substr(entry.find('=') + 1);
    }
    const auto end = std::chrono::steady_clock::now() + 30s;
    while (!fs::exists(fs::path(pipes) / "EpgTimerSrvPipe") && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(50ms);
    }
    return fs::exists(fs::path(pipes) / "EpgTimerSrvPipe");
  }

 private:
  pid_t pid_ = -1;
  std::vector<std::string> args_;
  std::vector<std::string> env_;
  std::unique_ptr<plimod::test::StartedProcess> restarted_;
};

// Runs `steps` again, a person's while apart, until they hold.
bool Until(const std::function<bool()>& steps) {
  const auto end = std::chrono::steady_clock::now() + 60s;
  while (!steps()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(1s);
  }
  return true;
}

// The stand-in recorder goes away with a reservation made, and comes back:
// the list says it cannot be reached above the reservation it still shows,
// the programme table keeps its mark, and the line goes once it answers.
TEST_F(DemoFrontPageTest, AStandInGoneIsSaidSoAboveTheListWhichStaysUntilItIsBack) {
  const std::string chromium = plimod::test::FindChromium();
  PLIMOD_SKIP_WITHOUT_CHROMIUM(chromium);
  StandIn standIn(tree_->ScriptPid());
  ASSERT_TRUE(standIn.Found());
  plimod::test::ChromiumPage browser(chromium, "--hide-scrollbars");
  ASSERT_TRUE(browser.ok()) << browser.Log();
  const std::string table = kDemoAddress + "/?mode=epg&day=" + plimod::test::Tomorrow();
  ASSERT_TRUE(browser.Open(table) && browser.Click(LinkTo("&q=1")));
  ASSERT_TRUE(Contains(browser.Text(), "登録しました")) << browser.Text();
  const auto openList = [&browser] {
    return browser.Open(kDemoAddress + "/") && browser.Click(LinkLabelled("EDCB")) &&
           browser.Click(LinkLabelled("予約一覧"));
  };
  const auto rows = [&browser] {
    return browser.Evaluate("document.querySelectorAll('tbody input[type=checkbox]').length").value_or("");
  };
  ASSERT_TRUE(openList());
  const std::string reserved = rows();
  ASSERT_EQ(reserved, "1") << browser.Text();

  const std::string line = "予約サーバから予約を取得できませんでした";
  ASSERT_TRUE(standIn.Stop());
  EXPECT_TRUE(Until([&] { return openList() && Contains(browser.Text(), line); })) << browser.Text();
  EXPECT_EQ(rows(), reserved) << browser.Text();
  EXPECT_TRUE(browser.Screenshot(kArtifacts / "stand_in_gone.png"));
  ASSERT_TRUE(browser.Open(table));
  EXPECT_NE(browser.Evaluate("document.querySelectorAll('.resv').length").value_or("0"), "0")
      << "the programme table lost its mark";

  ASSERT_TRUE(standIn.Start());
  EXPECT_TRUE(Until([&] { return openList() && !Contains(browser.Text(), line); })) << browser.Text();
  EXPECT_EQ(rows(), reserved) << browser.Text();
  EXPECT_TRUE(browser.Screenshot(kArtifacts / "stand_in_back.png"));
}

// A newcomer's round in the demo, every step a click in Chromium from the
// page before (typed addresses of commands show the front page): reserve
// from the table, start the script a second time, open the reservation's
// form from the list, disable it from the programme's page, restart.
TEST(DemoStartTest, ReservationOutlivesASecondStartAndARestart) {
  const std::string chromium = plimod::test::FindChromium();
  PLIMOD_SKIP_WITHOUT_CHROMIUM(chromium);
  ASSERT_TRUE(Fetch(kDemoAddress + "/").empty()) << kDemoAddress << " already answers (a demo running?)";
  DemoTree tree;
  ASSERT_TRUE(tree.Start() && tree.WaitForAddresses() && WaitForHits()) << tree.Output();
  fs::create_directories(kArtifacts);
  plimod::test::ChromiumPage browser(chromium, "--hide-scrollbars");
  ASSERT_TRUE(browser.ok()) << browser.Log();
  const auto photograph = [&browser](const std::string& name) {
    EXPECT_TRUE(browser.Screenshot(kArtifacts / ("round_" + name + ".png"))) << name;
  };
  const auto openReservationList = [&browser] {
    return browser.Open(kDemoAddress + "/") && browser.Click(LinkLabelled("EDCB")) &&
           browser.Click(LinkLabelled("予約一覧"));
  };
  const auto shown = [&browser](const std::function<bool()>& steps) { return UntilNotReloading(browser, steps); };

  // Tomorrow's programmes are still to come, so the list shows them.
  ASSERT_TRUE(browser.Open(kDemoAddress + "/?mode=epg&day=" + plimod::test::Tomorrow()));
  const std::optional<std::string> reserve = browser.Evaluate(LinkTo("&q=1") + ".getAttribute('href')");
  std::smatch ids;
  ASSERT_TRUE(reserve && std::regex_search(*reserve, ids, std::regex("sid=([0-9a-f]+)&eid=([0-9a-f]+)")));
  const std::string programme = "?sid=" + ids[1].str() + "&eid=" + ids[2].str();
  ASSERT_TRUE(browser.Click(LinkTo("&q=1")));
  EXPECT_TRUE(Contains(browser.Text(), "登録しました")) << browser.Text();
  photograph("1_reserved");

  // The running demo keeps its library and its reservations.
  const auto inode = [&tree] {
    struct stat st {};
    return ::stat((tree.Home() / "EpgDataCap2.so").c_str(), &st) == 0 ? st.st_ino : 0;
  };
  const auto library = inode();
  const auto again = tree.StartAgain();
  ASSERT_TRUE(again);
  EXPECT_EQ(again->first, 0);
  EXPECT_TRUE(Contains(again->second, "already running: asked it to reload")) << again->second;
  EXPECT_TRUE(tree.Running());
  EXPECT_EQ(inode(), library) << "the running program's library was replaced";
  ASSERT_TRUE(shown(openReservationList)) << browser.Text();
  photograph("2_list_after_second_start");
  ASSERT_TRUE(shown([&] { return openReservationList() && browser.Click(LinkTo("cmd=edc_edit&edcid=")); }))
      << browser.Text();
  EXPECT_EQ(browser.Evaluate("document.querySelectorAll('input[name=edc_title]').length"), "1") << browser.Text();
  EXPECT_FALSE(Contains(browser.Text(), "予約が見つかりません"));
  photograph("3_edit_form");

  ASSERT_TRUE(shown([&] {
    return browser.Open(kDemoAddress + "/" + programme) && browser.Click(LinkLabelled("予約を無効"));
  })) << browser.Text();
  EXPECT_TRUE(Contains(browser.Text(), "無効にしました")) << browser.Text();
  photograph("4_disabled");

  tree.Stop();
  ASSERT_TRUE(tree.Start() && tree.WaitForAddresses() && WaitForHits()) << tree.Output();
  ASSERT_TRUE(shown(openReservationList)) << browser.Text();
  const std::optional<std::string> row = browser.Evaluate(LinkTo("cmd=edc_edit&edcid=") + ".closest('tr').innerText");
  ASSERT_TRUE(row) << browser.Text();
  EXPECT_TRUE(Contains(*row, "無効")) << *row;  // still disabled
  photograph("5_list_after_restart");
  ASSERT_TRUE(shown([&] { return browser.Open(kDemoAddress + "/" + programme); })) << browser.Text();
  EXPECT_TRUE(Contains(browser.Text(), "予約を編集")) << browser.Text();
}

}  // namespace
