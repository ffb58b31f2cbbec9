#pragma once
// Headless Chromium for the browser checks: each run gets a new empty
// profile and no background traffic. RunChromium runs it once on its
// command line (cut off after two minutes); ChromiumPage drives it and
// waits for what a check looks at.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/file.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

// The installed Chromium, or empty when there is none.
std::string FindChromium();

// Under CI (CI=true) the browser checks must run: a missing Chromium fails
// them instead of skipping them, so that such a run never looks green.
bool BrowserChecksRequired();
inline constexpr const char* kNoChromium = "chromium is not installed (scripts/install-deps.sh installs it)";

// In a test or its SetUp: skips it, or fails it under CI, without Chromium.
#define PLIMOD_SKIP_WITHOUT_CHROMIUM(chromium)                                            \
  if ((chromium).empty()) {                                                               \
    if (::plimod::test::BrowserChecksRequired()) FAIL() << ::plimod::test::kNoChromium; \
    GTEST_SKIP() << ::plimod::test::kNoChromium;                                         \
  }

// Runs `chromium` on `url` with the extra `arguments` (window size,
// --screenshot=..., --dump-dom ...); returns its standard output and leaves
// its standard error in `log`.
std::string RunChromium(const std::string& chromium, const std::string& arguments, const std::string& url,
                        std::string& log);

// The "key=value" lines that a check page writes into <pre id="result">,
// read from a dumped DOM.
std::map<std::string, std::string> ParseCheckReport(const std::string& dom);
// A number of the report; -1 when missing.
int ReportNumber(const std::map<std::string, std::string>& report, const std::string& key);

// A headless Chromium driven over its DevTools pipe, so that a check waits
// for what it looks at (a script condition becoming true, a new page after a
// click) rather than for a fixed time. Every wait is bounded, generously,
// for a loaded machine; the browser is closed, or killed with its helpers,
// when the page goes. One tab, used like a person's: links followed by
// clicks carry their page as the Referer.
class ChromiumPage {
 public:
  inline static constexpr std::chrono::seconds kWait{90};

  // Starts `chromium` with the window options `arguments`; a
  // "--window-size=W,H" among them is also the page's viewport.
  ChromiumPage(const std::string& chromium, const std::string& arguments);
  ~ChromiumPage();
  ChromiumPage(const ChromiumPage&) = delete;
  ChromiumPage& operator=(const ChromiumPage&) = delete;

  bool ok() const { return !session_.empty(); }
  // A phone's screen: the layout follows the page's viewport line, as on
  // a phone, and a page without one is laid out at the desktop width.
  bool EmulatePhone(int width, int height);
  // Loads `url` as a typed address and waits until the new page has loaded.
  bool Open(const std::string& url);
  // Clicks the element that `elementJs` (a script expression) yields and
  // waits for the page it leads to (in this tab, also for a link that would
  // open a new window); false when there is none.
  bool Click(const std::string& elementJs);
  // Waits until the script expression `condition` is true in the page.
  bool WaitFor(const std::string& condition, std::chrono::seconds bound = kWait);
  // A script expression's value as text; nothing when it threw or the
  // browser did not answer.
  std::optional<std::string> Evaluate(const std::string& expression);
  // The document's markup, as --dump-dom writes it.
  std::string Dom();
  // The page's text as a person reads it.
  std::string Text();
  bool Screenshot(const std::filesystem::path& png);
  // Chromium's standard error so far (the page's console lines among it).
  std::string Log() const;

 private:
  bool Start(const std::string& chromium, const std::string& arguments);
  bool SetScreen(int width, int height, bool mobile);
  // Marks the document shown now, runs `leave` (a command that leaves it)
  // and waits until another document has loaded.
  bool LeavePage(const std::function<bool()>& leave);
  // Sends a command (to the page once attached) and returns its answer.
  std::optional<std::string> Call(const std::string& method, const std::string& params);
  bool Send(const std::string& message);
  std::optional<std::string> Receive(std::chrono::steady_clock::time_point deadline);

  TempFolder profile_{"plimod-chromium"};
  pid_t pid_ = -1;
  UniqueFd channel_;  // a socket, so that a browser gone raises no SIGPIPE
  std::string pending_;
  std::string session_;
  int lastId_ = 0;
};

// A check page (page_check.html and the like) has written its whole report.
inline constexpr const char* kCheckReportDone =
    "/(^|\\n)done=1$/.test((document.getElementById('result') || {}).textContent || '')";
// The page has loaded its fonts, and a check page among them its report.
inline constexpr const char* kPageDrawn =
    "document.fonts.status === 'loaded' && (!document.getElementById('result') || "
    "/(^|\\n)done=1$/.test(document.getElementById('result').textContent))";

// Opens `url` and returns its markup once `condition` holds (what it is when
// the wait runs out, for the failure message); Chromium's standard error is
// left in `log`.
std::string DumpDomWhen(const std::string& chromium, const std::string& arguments, const std::string& url,
                        const std::string& condition, std::string& log);
// Opens `url` and photographs it once it is drawn (kPageDrawn) and
// `condition` holds; false when no picture was written.
bool ScreenshotWhen(const std::string& chromium, const std::string& arguments, const std::string& url,
                    const std::string& condition, const std::filesystem::path& png, std::string& log);

}  // namespace plimod::test
