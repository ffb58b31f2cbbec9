#include "pages/recorder/edcb_status_page.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pages/recorder/free_space.h"
#include "recorder/lists/reserve_lists.h"
#include "tests/pages/recorder/recorder_page_fixture.h"

namespace plimod::test {
namespace {

constexpr std::uint64_t kGiB = 1ull << 30;

RecorderChildWindow Child(const std::wstring& className, const std::wstring& text, bool disabled = false,
                          int check = 0) {
  RecorderChildWindow child;
  child.className = className;
  child.text = text;
  child.disabled = disabled;
  child.checkState = check;
  return child;
}

// A recorder window; the combo boxes are children 2 and 3 (ids 0x10 + n).
ScriptedWindow Recorder(bool udpOn, bool cancelEnabled, bool scanEnabled) {
  ScriptedWindow window;
  window.title = L"EpgDataCap_Bon";
  window.children = {Child(L"Button", L"UDP", false, udpOn ? 1 : 0), Child(L"Button", L"設定"),
                     Child(L"ComboBox", L""), Child(L"ComboBox", L""),
                     Child(L"Button", L"キャンセル", !cancelEnabled),
                     Child(L"Button", L"チャンネルスキャン", !scanEnabled)};
  return window;
}

class StatusPageTest : public RecorderPageTest {
 protected:
  // Adds the window with its combo texts; returns the window id.
  RecorderWindowId AddRecorder(ScriptedWindow window, const std::wstring& tuner, const std::wstring& channel) {
    const RecorderWindowId id = windows_->Add(window);
    const auto children = windows_->Children(id);
    windows_->Remove(id);
    window.children = children;
    window.comboTexts[children[2].id] = tuner;
    window.comboTexts[children[3].id] = channel;
    return windows_->Add(window);
  }
  RecorderWindowId UdpControl(RecorderWindowId window) { return windows_->Children(window)[0].id; }

};

TEST_F(StatusPageTest, WithoutRecordersReservationsOrFoldersSaysNone) {
  WriteFileBytes(ProgramTxt(), "");  // the recorder's, with no reservation
  const std::string page = Run(ServeEpgDataCapStatusPage, "cmd=edcb");
  EXPECT_TRUE(Contains(page, "<HTML><HEAD><TITLE>EpgDataCap_Bon</TITLE>\n</HEAD><BODY>\n"));
  EXPECT_TRUE(Contains(page, "?cmd=epgtimer&"));
  EXPECT_TRUE(Contains(page, "更新時刻 2025/03/01(<font color=skyblue>土</font>) 12:00:00<BR><BR>"
                             "現在稼働中のEpgDataCap_Bon.exe<BR>\nなし<BR>\n<BR>次の予約<BR>\nなし<BR>\n<BR>\n"));
  EXPECT_FALSE(Contains(page, "フォルダ空き容量"));
}

TEST_F(StatusPageTest, ListsEachRecorderWithItsStateAndProgramme) {
  const std::uint64_t key = ServiceKey(4, 5, 6);
  AddService(ServiceKey(1, 1, 1), L"ＮＨＫ<総合>");
  AddService(key, L"ＮＨＫ<総合>");  // the last service of that name counts
  AddEvent(MakeEvent(key, 1, At(2025, 3, 1, 11, 0), 60, L"前の番組"));
  AddEvent(MakeEvent(key, 2, At(2025, 3, 1, 11, 30), 60, L"今の<番組>"));
  const RecorderWindowId first = AddRecorder(Recorder(false, true, true), L"BonDriver_T", L"ＮＨＫ<総合>");
  const RecorderWindowId second = AddRecorder(Recorder(true, false, false), L"BonDriver_S", L"ＢＳ");

  const std::string page = Run(ServeEpgDataCapStatusPage, "cmd=edcb");
  EXPECT_TRUE(Contains(page, "<a href='?cmd=edcb&wnd=" + RecorderWindowIdText(first) +
                                 "&udp=1'>UDP:OFF</a>　EPG取得中　チューナー:BonDriver_T　"
                                 "チャンネル:ＮＨＫ&lt;総合&gt;　番組:今の&lt;番組&gt; <BR>\n"))
      << page;
  EXPECT_TRUE(Contains(page, "<a href='?cmd=edcb&wnd=" + RecorderWindowIdText(second) +
                                 "&udp=0'>UDP:ON</a>　録画中　チューナー:BonDriver_S　チャンネル:ＢＳ　番組: <BR>\n"))
      << page;
}

TEST_F(StatusPageTest, TakesOnlyCompleteWindowsAndAtMost32) {
  ScriptedWindow noUdp = Recorder(false, true, true);
  noUdp.children.erase(noUdp.children.begin());
  AddRecorder(noUdp, L"missing", L"");
  for (int n = 0; n < 33; ++n) AddRecorder(Recorder(false, true, true), L"T" + std::to_wstring(n), L"");
  const std::string page = Run(ServeEpgDataCapStatusPage, "cmd=edcb");
  EXPECT_EQ(CountOf(page, "UDP:OFF"), 32);
  EXPECT_FALSE(Contains(page, "missing"));
  EXPECT_TRUE(Contains(page, "チューナー:T31　"));
  EXPECT_FALSE(Contains(page, "チューナー:T32　"));
}

TEST_F(StatusPageTest, ClicksTheUdpBoxOnlyWhenTheStateDiffers) {
  const RecorderWindowId off = AddRecorder(Recorder(false, true, true), L"A", L"");
  const RecorderWindowId on = AddRecorder(Recorder(true, true, true), L"B", L"");
  Run(ServeEpgDataCapStatusPage, "cmd=edcb&wnd=" + RecorderWindowIdText(on) + "&udp=1");
  Run(ServeEpgDataCapStatusPage, "cmd=edcb&wnd=12345&udp=1");
  EXPECT_TRUE(windows_->Clicks().empty());
  EXPECT_EQ(sleptMs_, 0u);

  Run(ServeEpgDataCapStatusPage, "cmd=edcb&wnd=" + RecorderWindowIdText(off) + "&udp=1");
  const auto clicks = windows_->Clicks();
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].control, UdpControl(off));
  EXPECT_EQ(clicks[0].x, 5);
  EXPECT_EQ(clicks[0].y, 5);
  EXPECT_EQ(sleptMs_, 200u);
}

TEST_F(StatusPageTest, EscapesTheCommandInTheSwitchLink) {
  const RecorderWindowId window = AddRecorder(Recorder(false, true, true), L"A", L"");
  const std::string page = Run(ServeEpgDataCapStatusPage, "cmd=edcb%27onclick%3D");
  EXPECT_FALSE(Contains(page, "href='?cmd=edcb'"));
  EXPECT_TRUE(Contains(page, "<a href='?cmd=edcb&#39;onclick=&wnd=" + RecorderWindowIdText(window) +
                                 "&udp=1'>UDP:OFF</a>　"))
      << page;
}

TEST_F(StatusPageTest, ShowsTheReservationsOfTheEarliestFutureStart) {
  WriteFileBytes(ProgramTxt(), Line({.event = 1, .title = L"済み", .date = "2025/03/01", .time = "11:00:00"}) + "\r\n" +
                                   Line({.event = 2, .title = L"一つ目", .time = "01:00:00"}) + "\r\n" +
                                   Line({.event = 3, .title = L"二つ目", .time = "01:00:00", .duration = "01:30:00"}) +
                                   "\r\n" + Line({.event = 4, .title = L"後", .time = "03:00:00"}) + "\r\n");
  const std::string page = Run(ServeEpgDataCapStatusPage, "cmd=edcb");
  EXPECT_TRUE(Contains(page, "次の予約<BR>\n"
                             "2025/03/02(<font color=red>日</font>) <nobr>01:00:00～01:30:00</nobr>　局&lt;1&gt;　一つ目<BR>\n"
                             "2025/03/02(<font color=red>日</font>) <nobr>01:00:00～02:30:00</nobr>　局&lt;1&gt;　二つ目<BR>\n"
                             "<BR>\n"))
      << page;
  EXPECT_FALSE(Contains(page, "済み"));
  EXPECT_FALSE(Contains(page, "　後<BR>"));

  WriteFileBytes(ProgramTxt(), Line({.title = L"今", .date = "2025/03/01", .time = "12:00:00"}) + "\r\n");
  EXPECT_TRUE(Contains(Run(ServeEpgDataCapStatusPage, "cmd=edcb"), "次の予約<BR>\nなし<BR>\n"));
}

TEST(FreeSpaceText, WritesHundredthsAndMarksLowSpaceRed) {
  EXPECT_EQ(FreeSpaceText({kGiB * 3 / 2, kGiB * 10}), "<font color=red>空きディスク領域: 1.50GB (15%)</font>");
  EXPECT_EQ(FreeSpaceText({kGiB + kGiB * 5 / 100 + 1024 * 1024, kGiB * 1000}),
            "<font color=red>空きディスク領域: 1.05GB (0%)</font>");
  EXPECT_EQ(FreeSpaceText({kGiB * 110, kGiB * 1000}), "空きディスク領域: 110.00GB (11%)");
  EXPECT_EQ(FreeSpaceText({kGiB * 200, kGiB * 2000}), "<font color=red>空きディスク領域: 200.00GB (10%)</font>");
  EXPECT_EQ(FreeSpaceText({kGiB * 100, kGiB * 200}), "<font color=red>空きディスク領域: 100.00GB (50%)</font>");
  EXPECT_EQ(FreeSpaceText({512 * 1024 * 1024, 0}), "<font color=red>空きディスク領域: 512.00MB (0%)</font>");
}

TEST_F(StatusPageTest, ShowsTheFreeSpaceOfEachRecordingFolder) {
  Settings().InsertIndexed(L"EDCB_RECDIR", 0, folder_.Path().wstring());
  Settings().InsertIndexed(L"EDCB_RECDIR", 1, L"/no/such/<folder>");
  const std::string page = Run(ServeEpgDataCapStatusPage, "cmd=edcb");
  EXPECT_TRUE(Contains(page, "フォルダ空き容量<BR>\n" + folder_.Path().string() + "　")) << page;
  EXPECT_TRUE(Contains(page, "空きディスク領域: "));
  EXPECT_TRUE(Contains(page, "/no/such/&lt;folder&gt;　<BR>\n")) << page;
}

}  // namespace
}  // namespace plimod::test
