#pragma once
// The recorder pages on the string writer: the page fixture's settings,
// clock and EPG globals, the recorder link pointed at a temporary folder
// and scripted recorder windows.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/recorder_windows.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_mode.h"
#include "recorder/lists/reserve_lists.h"
#include "tests/pages/page_test_fixture.h"
#include "tests/recorder/recorder_fixture.h"
#include "tests/support/scripted_recorder_windows.h"

namespace plimod::test {

class RecorderPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    Set(L"EPGDATACAP", L"ENABLE", L"1");
    Set(L"EPGDATACAP", L"PROGRAMTXT", ProgramTxt().wstring());
    SetSleeperForTesting([this](std::uint32_t ms) { sleptMs_ += ms; });
    auto windows = std::make_unique<ScriptedRecorderWindows>();
    windows_ = windows.get();
    UseRecorderWindows(std::move(windows));
    UseRecorderIni("EpgTimer_Bon.ini");
  }
  void TearDown() override {
    UseRecorderWindows(nullptr);
    SetSleeperForTesting(nullptr);
    PublishReserveLists(std::make_shared<ReserveLists>());
    IniFile off;
    DetectTuners(off);
    PageTest::TearDown();
  }

  std::filesystem::path ProgramTxt() const { return folder_.File("Program.txt"); }
  // Left by the stub recorder program each time it is started.
  std::filesystem::path StartedMark() const { return folder_.File("recorder-started"); }
  // Whether the recorder was started (it runs on its own: waits up to a
  // minute for its mark).
  bool RecorderStarted() const {
    for (int i = 0; i < 6000 && !std::filesystem::exists(StartedMark()); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::filesystem::exists(StartedMark());
  }
  // A running text-file recorder that closes when asked.
  RecorderWindowId AddEpgTimerBonWindow() {
    ScriptedWindow window;
    window.title = L"EpgTimer_Bon";
    return windows_->Add(window);
  }

  // Chooses the recorder mode as start-up does: by the recorder's own
  // settings file beside EPGTIMEREXE (a script that leaves StartedMark, so a
  // restart of the recorder succeeds).
  void UseRecorderIni(const std::string& iniName) {
    const auto recorder = folder_.File("recorder");
    ChooseRecorderByIni(Settings(), recorder, iniName);
    const auto exe = recorder / "EpgTimer_Bon.exe";
    WriteFileBytes(exe, "#!/bin/sh\ntouch '" + StartedMark().string() + "'\n");
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  }

  ScriptedRecorderWindows* windows_ = nullptr;
  std::uint64_t sleptMs_ = 0;
};

struct ProgramLine {
  int event = 1;
  int reserveId = 1;
  std::wstring title = L"title";
  std::string date = "2025/03/02";
  std::string time = "21:00:00";
  std::string duration = "00:30:00";
  int recordMode = 0;
  std::string batch = "0";
  std::wstring comment = L"";
};

// A Program.txt line of 17 fields for programme (1, 2, 3, event) on "局".
inline std::string Line(const ProgramLine& l) {
  return l.date + "\t" + l.time + "\t" + l.duration + "\t" + Sjis(l.title) + "\t" + Sjis(L"局<1>") + "\t1\t2\t3\t" +
         std::to_string(l.event) + "\t3\t1\t" + std::to_string(l.reserveId) + "\t" + std::to_string(l.recordMode) +
         "\t0\t" + l.batch + "\t\t" + Sjis(l.comment);
}

}  // namespace plimod::test
