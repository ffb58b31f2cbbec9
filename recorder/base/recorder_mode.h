#pragma once
// Which recorder the program works with, and its tuner counts. Decided once
// at start from the recorder's settings file beside its program
// ([EPGDATACAP] EPGTIMEREXE): "EpgTimerSrv.ini" selects the reservation
// server, "EpgTimer_Bon.ini" the text-file recorder. Fixed for the run.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"

namespace plimod {

// Tuners that receive terrestrial only, BS/CS only, and all three bands.
using TunerCounts = std::array<int, 3>;

struct RecorderDetection {
  bool srvMode = false;
  TunerCounts counts{};
  std::vector<std::string> logLines;  // UTF-8, each ending in "\n"
};

// True when reservations go through the reservation server.
bool EpgTimerSrvMode();
TunerCounts DetectedTunerCounts();

// Reads the settings and the recorder's settings file; changes nothing.
RecorderDetection DetectRecorder(const IniFile& settings);
// Adds up Count= per Mode= (0-2) over the "[BonDriver_" sections.
TunerCounts CountTuners(std::string_view iniText);

// DetectRecorder, then makes its result the program's and logs its lines.
void DetectTuners(IniFile& settings);

}  // namespace plimod
