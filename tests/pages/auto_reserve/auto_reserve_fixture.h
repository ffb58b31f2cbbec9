#pragma once
// The automatic reservation on a store loaded from EPG files made by the
// project's writer, with the recorder link of the settings pointed at a
// temporary text-file recorder (Program.txt, a start script that exits,
// scripted windows and a sleeper that only adds up).

#include <sys/stat.h>

#include <memory>
#include <string>

#include "epg/epg_folder.h"
#include "epg/epg_store.h"
#include "platform/recorder_windows.h"
#include "platform/system_time.h"
#include "recorder/base/recorder_mode.h"
#include "tests/epg/epg_test_data.h"
#include "tests/pages/page_test_fixture.h"
#include "tests/support/scripted_recorder_windows.h"
#include "util/keys.h"

namespace plimod::test {

inline constexpr std::uint16_t kNewsService = 0x0401;
inline constexpr std::uint64_t kNewsServiceKey = ServiceKey(kOnid, kTsid, kNewsService);
inline constexpr std::uint64_t kEveningNews = ProgramKey(1, kNewsServiceKey);
inline constexpr std::uint64_t kLateNews = ProgramKey(3, kNewsServiceKey);

class AutoReserveTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ResetEpgFolderState();
    SetNow(At(2026, 12, 10, 0, 0));
    WriteFileBytes(data_.File("a_epg.dat"),
                   EpgFileBytes(MakeFile({MakeService(kNewsService, 0x01, u"単発局",
                                                      {Event(1, 20, 30, u"夜のニュース", u"今日の出来事"),
                                                       Event(2, 21, 54, u"ドラマ特集　第1話", u"主演"),
                                                       Event(3, 23, 15, u"ニュース　深夜", u"")})})));
    const std::string folder = data_.Path().string();
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", std::wstring(folder.begin(), folder.end()));
    store_ = std::make_unique<EpgStore>(std::string(PLIMOD_BINARY_DIR) + "/bin/");
    ASSERT_TRUE(LoadEpgFolder(*store_));

    SetSleeperForTesting([](std::uint32_t) {});
    auto windows = std::make_unique<ScriptedRecorderWindows>();
    windows_ = windows.get();
    UseRecorderWindows(std::move(windows));
    Settings().SetString(L"EPGDATACAP", L"ENABLE", L"1");
    Settings().SetString(L"EPGDATACAP", L"PROGRAMTXT", ProgramTxt().wstring());
    UseRecorder("EpgTimer_Bon.ini");
  }
  void TearDown() override {
    UseRecorderWindows(nullptr);
    SetSleeperForTesting(nullptr);
    IniFile off;
    DetectTuners(off);
    PageTest::TearDown();
    store_.reset();
    ResetEpgFolderState();
  }

  static epgwriter::EventDescription Event(std::uint16_t id, int hour, int minutes, std::u16string title,
                                           std::u16string shortText) {
    epgwriter::EventDescription event = MakeEvent(id, 2026, 12, 10, hour, 0, minutes, std::move(title));
    event.short_text = std::move(shortText);
    return event;
  }

  // The mode is chosen as at start-up, by the recorder's settings file
  // beside EPGTIMEREXE, whose program here is a script that exits.
  void UseRecorder(const std::string& iniName) {
    const auto folder = recorder_.File("recorder");
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / "EpgTimerSrv.ini");
    std::filesystem::remove(folder / "EpgTimer_Bon.ini");
    WriteFileBytes(folder / iniName, "[BonDriver_A.dll]\r\nMode=0\r\nCount=1\r\n");
    WriteFileBytes(folder / "EpgTimer_Bon.exe", "#!/bin/sh\nexit 0\n");
    ::chmod((folder / "EpgTimer_Bon.exe").c_str(), 0755);
    Settings().SetString(L"EPGDATACAP", L"EPGTIMEREXE", (folder / "EpgTimer_Bon.exe").wstring());
    DetectTuners(Settings());
  }

  // A condition for `word`, enabled, with the title rule `titleType`.
  void AddCondition(int number, const std::wstring& word, int titleType = 0) {
    const std::wstring section = L"AUTORESERVE_" + std::wstring(number < 10 ? L"0" : L"") + std::to_wstring(number);
    Settings().SetString(section.c_str(), L"ENABLE", L"1");
    Settings().SetString(section.c_str(), L"WORD", word);
    Settings().SetInt(section.c_str(), L"TITLETYPE", titleType);
  }

  std::wstring History() const {
    return Settings().GetString(L"EPGDATACAP", L"AUTORESERVEHISTORY").value_or(L"");
  }
  std::filesystem::path ProgramTxt() const { return recorder_.File("Program.txt"); }
  // Reservation lines in Program.txt.
  int ReservedLines() const {
    if (!std::filesystem::exists(ProgramTxt())) return 0;
    return CountOf(ReadFileBytes(ProgramTxt()), "\n");
  }
  // Whether a pass started the recorder again (it looks for its window).
  bool Restarted() const { return windows_->Lookups(L"EpgTimer_Bon") > 0; }

  TempFolder data_{"plimod-autore-epg"};
  TempFolder recorder_{"plimod-autore-rec"};
  std::unique_ptr<EpgStore> store_;
  ScriptedRecorderWindows* windows_ = nullptr;
};

}  // namespace plimod::test
