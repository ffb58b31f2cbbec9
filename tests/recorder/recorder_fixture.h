#pragma once
// What the recorder tests share: settings that point the recorder link at
// a temporary folder, the recorder mode chosen through a real settings file
// of the recorder, a sleeper that only adds up, and code page 932 texts.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/recorder_windows.h"
#include "platform/system_time.h"
#include "platform/text_codec.h"
#include "recorder/base/recorder_mode.h"
#include "settings/ini_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scripted_recorder_windows.h"
#include "tests/support/temp_folder.h"
#include "util/log.h"

namespace plimod::test {

inline std::string Sjis(const std::wstring& text) { return WideToCp932(text); }

// Puts the recorder's own settings file `iniName` (one tuner) into the
// folder `recorder`, names EpgTimer_Bon.exe there as EPGTIMEREXE and
// detects the recorder mode from it, as start-up does.
inline void ChooseRecorderByIni(IniFile& settings, const std::filesystem::path& recorder, const std::string& iniName) {
  std::filesystem::create_directories(recorder);
  std::filesystem::remove(recorder / "EpgTimerSrv.ini");
  std::filesystem::remove(recorder / "EpgTimer_Bon.ini");
  WriteFileBytes(recorder / iniName, "[BonDriver_A.dll]\r\nMode=0\r\nCount=1\r\n");
  settings.SetString(L"EPGDATACAP", L"EPGTIMEREXE", (recorder / "EpgTimer_Bon.exe").wstring());
  DetectTuners(settings);
}

// Times the log in the program folder `home` holds `line` (the file is in
// code page 932), after the queued entries are written.
inline int TimesLogged(const TempFolder& home, const std::wstring& line) {
  FlushLogQueue();
  const std::string log = ReadFileBytes(home.File("lumo.log"));
  const std::string text = WideToCp932(line);
  int times = 0;
  for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++times;
  return times;
}

class RecorderTest : public ::testing::Test {
 protected:
  RecorderTest() {
    settings_.SetString(L"EPGDATACAP", L"ENABLE", L"1");
    settings_.SetString(L"EPGDATACAP", L"PROGRAMTXT", Wide(ProgramTxt()));
    SetSleeperForTesting([this](std::uint32_t ms) { sleptMs_ += ms; });
    auto windows = std::make_unique<ScriptedRecorderWindows>();
    windows_ = windows.get();
    UseRecorderWindows(std::move(windows));
    UseTextFileRecorder();
  }
  ~RecorderTest() override {
    UseRecorderWindows(nullptr);
    SetSleeperForTesting(nullptr);
    IniFile off;
    DetectTuners(off);
  }

  static std::wstring Wide(const std::filesystem::path& path) { return path.wstring(); }

  std::filesystem::path ProgramTxt() const { return folder_.File("Program.txt"); }
  std::filesystem::path File(const std::string& name) const { return folder_.File(name); }

  // Chooses the mode the way start-up does: by the recorder's settings
  // file beside EPGTIMEREXE.
  void UseRecorderIni(const std::string& iniName) { ChooseRecorderByIni(settings_, folder_.File("recorder"), iniName); }
  void UseTextFileRecorder() {
    UseRecorderIni("EpgTimer_Bon.ini");
    ASSERT_FALSE(EpgTimerSrvMode());
  }
  void UseServerRecorder() {
    UseRecorderIni("EpgTimerSrv.ini");
    ASSERT_TRUE(EpgTimerSrvMode());
  }

  TempFolder folder_{"plimod-recorder"};
  IniFile settings_;
  ScriptedRecorderWindows* windows_ = nullptr;
  std::uint64_t sleptMs_ = 0;
};

}  // namespace plimod::test
