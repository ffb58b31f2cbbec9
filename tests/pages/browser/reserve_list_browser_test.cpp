// The reservation list of the running program in headless Chromium, with
// the text-file recorder's Program.txt holding one ended and three later
// reservations: photographed (under <build>/test-artifacts/reserve_list/)
// and checked for the rows a person sees; and the edit page a row links.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/headless_chromium.h"
#include "tests/support/served_program.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {
namespace {

namespace fs = std::filesystem;

const fs::path kArtifacts = PLIMOD_BINARY_DIR "/test-artifacts/reserve_list";

// A Program.txt line (UTF-8 titles are fine: the list shows what it reads).
std::string Reservation(const std::string& date, const std::string& time, const std::string& title, int event,
                        int mode) {
  return date + "\t" + time + "\t00:30:00\t" + title + "\tstation\t1\t2\t3\t" + std::to_string(event) +
         "\t3\t1\t" + std::to_string(event) + "\t" + std::to_string(mode) + "\t0\t0\t0\tcomment\r\n";
}

class ReserveListBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    chromium_ = FindChromium();
    PLIMOD_SKIP_WITHOUT_CHROMIUM(chromium_);
    program_ = std::make_unique<ServedProgram>(
        "plimod-reserve-list",
        L"[EPGDATACAP]\r\nENABLE=1\r\nTUNERCOUNT=2,0,0\r\nPROGRAMTXT=" + recorder_.File("Program.txt").wstring() + L"\r\n",
        std::vector<std::string>{"tests/pages/browser/reserve_list_check.html"});
    fs::create_directories(kArtifacts);
    std::ofstream(recorder_.File("Program.txt"), std::ios::binary)
        << Reservation("2020/01/01", "10:00:00", "ended", 1, 1) << Reservation("2099/01/01", "10:00:00", "first", 2, 1)
        << Reservation("2099/01/02", "10:00:00", "second", 3, 5) << Reservation("2099/01/03", "10:00:00", "third", 4, 1);
    ASSERT_TRUE(program_->Start()) << "the program did not serve its pages";
  }

  std::string chromium_;
  TempFolder recorder_{"plimod-reserve-list-recorder"};
  std::unique_ptr<ServedProgram> program_;
};

TEST_F(ReserveListBrowserTest, ListShowsTheEndedAndTheLaterReservationsAsRows) {
  const std::string page = "/reserve_list_check.html#/?cmd=epgtimer%26f=2";
  std::string log;
  const std::string dom = DumpDomWhen(chromium_, "--window-size=1400,800", program_->Url(page), kCheckReportDone, log);
  std::ofstream(kArtifacts / "reserve_list.txt") << dom.substr(0, dom.find("<iframe"));
  auto report = ParseCheckReport(dom);
  ASSERT_EQ(report["done"], "1") << dom;
  EXPECT_EQ(report.count("exception"), 0u) << report["exception"];
  EXPECT_EQ(report["title"], "EpgDataCap_bon予約リスト");
  EXPECT_EQ(ReportNumber(report, "rows"), 4);
  EXPECT_EQ(report["titles"], "ended|first|second|third");
  EXPECT_NE(report["colours"].find("rgb(192, 192, 192)"), std::string::npos);  // the disabled one
  EXPECT_EQ(ReportNumber(report, "bars"), 1);
  EXPECT_EQ(report["buttons"], "チェックしたものを削除");
  EXPECT_EQ(report.count("hiddenRow"), 0u);

  const fs::path shot = kArtifacts / "reserve_list.png";
  fs::remove(shot);
  ScreenshotWhen(chromium_, "--window-size=1400,800", program_->Url(page), "true", shot, log);
  EXPECT_GT(fs::exists(shot) ? fs::file_size(shot) : 0, 10000u);
}

// The program's own wiring: a title on the list opens that reservation in
// the edit page's form, which posts back to it. (Commands need a Referer of
// the program's own pages.)
TEST_F(ReserveListBrowserTest, TitleLinkOpensTheReservationInTheEditForm) {
  const auto fetch = [this](const std::string& path) {
    return CommandOutput("curl -s --max-time 10 -e '" + program_->Url("/") + "' '" + program_->Url(path) + "'");
  };
  const std::string list = fetch("/?cmd=epgtimer");
  const std::string link = "<a href='?cmd=edc_edit&edcid=";
  const std::size_t at = list.find(link);
  ASSERT_NE(at, std::string::npos) << list;
  const std::size_t from = at + std::string("<a href='").size();
  const std::string target = list.substr(from, list.find('\'', from) - from);
  const std::string form = fetch("/" + target);
  EXPECT_NE(form.find("<input type=hidden name=cmd value='edc_edit'>"), std::string::npos) << form;
  EXPECT_NE(form.find("<input name=edc_title value='first' size=120>"), std::string::npos) << form;
}

}  // namespace
}  // namespace plimod::test
