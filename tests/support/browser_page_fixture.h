#pragma once
// The running program in a home of its own, serving the demo EPG data and
// the check pages copied into its public_html, for headless Chromium. A
// suite starts it once; each test skips without Chromium.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/headless_chromium.h"
#include "tests/support/served_program.h"

namespace plimod::test {

class BrowserPageTest : public ::testing::Test {
 protected:
  // Starts the program with `settings`; the check pages (paths in the
  // source tree) go into its public_html; outputs go to `artifacts`.
  static void StartSuite(const std::string& prefix, const std::wstring& settings,
                         const std::vector<std::string>& checkPages, const std::filesystem::path& artifacts) {
    chromium_ = FindChromium();
    if (chromium_.empty()) return;
    artifacts_ = artifacts;
    home_ = new ServedProgram(prefix, settings, checkPages);
    std::filesystem::create_directories(artifacts_);
    started_ = home_->Start();
  }
  static void StopSuite() {
    delete home_;
    home_ = nullptr;
  }

  void SetUp() override {
    PLIMOD_SKIP_WITHOUT_CHROMIUM(chromium_);
    ASSERT_TRUE(started_) << "the program did not serve its programme table";
  }

  // Runs a check page (with its "#" part) in the window `window` (Chromium's
  // window options) and returns its report; the page and what it reported
  // are kept as <name>.txt.
  static std::map<std::string, std::string> Check(const std::string& name, const std::string& page,
                                                  const std::string& window = kDesktopWindow) {
    std::string log;
    const std::string dom = DumpDomWhen(chromium_, window, home_->Url(page), kCheckReportDone, log);
    std::ofstream(artifacts_ / (name + ".txt")) << page << "\n" << dom.substr(0, dom.find("<iframe"));
    EXPECT_EQ(log.find("Uncaught"), std::string::npos) << log;
    auto report = ParseCheckReport(dom);
    EXPECT_EQ(report["done"], "1") << dom;
    EXPECT_EQ(report.count("exception"), 0u) << report["exception"];
    return report;
  }
  // The page as a person sees it, kept as <name>.png (a blank page gives
  // a file of fewer than `minBytes`), taken once the page is drawn and, on
  // a check page, its report written. (The third parameter, once a time
  // budget, is no longer used: nothing waits a fixed time.)
  static void Photograph(const std::string& name, const std::string& page, int /*unused*/ = 0,
                         const std::string& window = kDesktopWindow, std::uintmax_t minBytes = 10000) {
    const std::filesystem::path shot = artifacts_ / (name + ".png");
    std::filesystem::remove(shot);
    std::string log;
    ScreenshotWhen(chromium_, window, home_->Url(page), "true", shot, log);
    EXPECT_GT(std::filesystem::exists(shot) ? std::filesystem::file_size(shot) : 0, minBytes)
        << "no screenshot of " << name;
  }

  static inline const std::string kDesktopWindow = "--window-size=1400,1000";
  static inline std::string chromium_;
  static inline ServedProgram* home_ = nullptr;
  static inline std::filesystem::path artifacts_;
  static inline bool started_ = false;
};

}  // namespace plimod::test
