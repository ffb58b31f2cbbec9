// The settings pages of the running program in headless Chromium: the
// environment page and a channel order page are read as drawn, and the
// environment form is filled in and submitted through config_check.html, the
// way a person would (reports kept under <build>/test-artifacts/config_page/).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/support/browser_page_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/headless_chromium.h"

namespace {

namespace fs = std::filesystem;

const fs::path kArtifacts = PLIMOD_BINARY_DIR "/test-artifacts/config_page";

// Stored texts that break a form written without escaping: quotes of both
// kinds, an entity the request parser made, Japanese and a character beyond
// the BMP.
const std::wstring kTrickySettings =
    L"SYOBOCAL_USERNAME=o'brien \"q\" &lt;b&gt; 日本 \U0001F600\r\n"
    L"[EPGDATACAP]\r\nTITLECOMMAND=s/\"(.*)\"/'$1'/\r\nEPGTIMEREXE=/opt/o'brien/EpgTimer_Bon.exe\r\n";

// "&", "|" and "#" would end the check page's own parts.
std::string EncodeForHash(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') out += "%26";
    else if (c == '|') out += "%7C";
    else if (c == '#') out += "%23";
    else if (c == '%') out += "%25";
    else out += c;
  }
  return out;
}

class ConfigBrowserTest : public plimod::test::BrowserPageTest {
 protected:
  static void SetUpTestSuite() {
    StartSuite("plimod-config-browser", kTrickySettings, {"tests/pages/browser/config_check.html"}, kArtifacts);
  }
  static void TearDownTestSuite() { StopSuite(); }

  static inline const std::string kWindow = "--window-size=1200,1600";
  // Submits the environment form with `changes` ("name=value&..."), as typed.
  static std::map<std::string, std::string> SubmitConfig(const std::string& changes) {
    std::string log;
    const std::string dom =
        plimod::test::DumpDomWhen(chromium_, kWindow, home_->Url("/config_check.html#" + EncodeForHash("/?cmd=config|" + changes)),
                                  plimod::test::kCheckReportDone, log);
    std::ofstream(kArtifacts / "config_submit.txt", std::ios::app) << changes << "\n" << dom.substr(0, 2000) << "\n";
    return plimod::test::ParseCheckReport(dom);
  }
  static std::string IniBytes() { return plimod::test::ReadFileBytes(home_->Path() / "plimo.ini"); }
};

TEST_F(ConfigBrowserTest, EnvironmentFormIsDrawnWholeAndChannelsShowInTheirOrder) {
  auto report = Check("config", "/config_check.html#" + EncodeForHash("/?cmd=config"), kWindow);
  EXPECT_EQ(report["title"], "環境設定");
  EXPECT_GT(plimod::test::ReportNumber(report, "fields"), 40);
  // The whole form, to its last section.
  EXPECT_NE(report["text"].find("EpgDataCap_Bonに関する設定"), std::string::npos) << report["text"];
  EXPECT_NE(report["text"].find("ネットワークリモコン 番組表にリモコンリンクを追加 アドレス:ポート"), std::string::npos)
      << report["text"];

  // The demo's terrestrial channels in their order, the second selected.
  report = Check("channel_order", "/config_check.html#" + EncodeForHash("/?cmd=chsort&st_band=001&st_sel=1"), kWindow);
  EXPECT_EQ(report["title"], "チャンネル並び替え");
  EXPECT_EQ(report["text"],
            "地上波チャンネル並び替え ここに挿入→ みなとテレビ総合 ここに挿入→ みなとテレビ総合２(選択中) ここに挿入→ "
            "みなと教育 ここに挿入→ みなと教育２ ここに挿入→ 東都放送 ここに挿入→ さくらテレビ ここに挿入→ テレビ東和 "
            "ここに挿入→ メトロＴＶ ここに挿入→ ひかり放送 ここに挿入→ 戻る ");
}

TEST_F(ConfigBrowserTest, UnchangedSubmitKeepsTrickyValuesAndATypedChangeIsSaved) {
  auto report = SubmitConfig("");
  ASSERT_EQ(report["done"], "1");
  EXPECT_EQ(report["shownUser"], "o'brien \"q\" <b> 日本 \xF0\x9F\x98\x80");
  EXPECT_GT(std::atoi(report["fields"].c_str()), 40);
  EXPECT_EQ(report["landed"], "");  // back at the programme table
  const std::string first = IniBytes();
  report = SubmitConfig("");
  ASSERT_EQ(report["done"], "1");
  EXPECT_EQ(IniBytes(), first) << "a second unchanged submit changed the file";
  // The stored texts are what they were (UTF-16LE in the file).
  auto has = [&](const std::u16string& text) {
    return first.find(std::string(reinterpret_cast<const char*>(text.data()), 2 * text.size())) != std::string::npos;
  };
  EXPECT_TRUE(has(u"SYOBOCAL_USERNAME=o'brien \"q\" &lt;b&gt; 日本 \U0001F600\r\n"));
  EXPECT_TRUE(has(u"TITLECOMMAND=s/\"(.*)\"/'$1'/\r\n"));
  EXPECT_TRUE(has(u"EPGTIMEREXE=/opt/o'brien/EpgTimer_Bon.exe\r\n"));

  report = SubmitConfig("cfg_syobocal_load=6:45&cfg_condcount=33");
  ASSERT_EQ(report["done"], "1");
  const std::string changed = IniBytes();
  auto hasIn = [&](const std::u16string& text) {
    return changed.find(std::string(reinterpret_cast<const char*>(text.data()), 2 * text.size())) != std::string::npos;
  };
  EXPECT_TRUE(hasIn(u"SYOBOCAL_LOADTIME=6:45\r\n"));
  EXPECT_TRUE(hasIn(u"CONDITIONCOUNT=33\r\n"));
}

}  // namespace
