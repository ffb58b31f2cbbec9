#include "recorder/base/recorder_mode.h"

#include <atomic>

#include "recorder/base/recorder_paths.h"
#include "recorder/base/reserve_text_numbers.h"
#include "util/file_io.h"
#include "util/log.h"
#include "util/module_paths.h"
#include "util/setting_file_path.h"

namespace plimod {
namespace {

std::atomic<bool> srvMode{false};
std::array<std::atomic<int>, 3> tunerCounts{};

constexpr std::string_view kSectionMark = "[BonDriver_";

// The start of the line after the one holding `pos`, behind its line end.
std::size_t NextLineStart(std::string_view text, std::size_t pos) {
  pos = text.find_first_of("\r\n", pos);
  if (pos == std::string_view::npos) return text.size();
  while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;
  return pos;
}

// Scans the lines after a section mark up to the next "[" line; adds the
// section's Count to its Mode as soon as both are known. Returns where the
// scan stopped.
std::size_t ScanSection(std::string_view text, std::size_t pos, TunerCounts& counts) {
  int mode = -1;
  int count = -1;
  while (pos < text.size() && text[pos] != '[') {
    const std::string_view line = text.substr(pos);
    if (line.starts_with("Mode=")) mode = LeadingInt(line.substr(5));
    if (line.starts_with("Count=")) count = LeadingInt(line.substr(6));
    if (mode >= 0 && count >= 0) {
      if (mode < 3) counts[static_cast<std::size_t>(mode)] += count;
      return pos;
    }
    pos = NextLineStart(text, pos);
  }
  return pos;
}

std::string CountsLine(const TunerCounts& counts) {
  return "チューナー検出 地デジ:" + std::to_string(counts[0]) + " BS/CS:" +
         std::to_string(counts[1]) + " ３波:" + std::to_string(counts[2]) + "\n";
}

}  // namespace

bool EpgTimerSrvMode() { return srvMode.load(); }

TunerCounts DetectedTunerCounts() {
  return {tunerCounts[0].load(), tunerCounts[1].load(), tunerCounts[2].load()};
}

TunerCounts CountTuners(std::string_view text) {
  TunerCounts counts{};
  std::size_t pos = 0;
  while ((pos = text.find(kSectionMark, pos)) != std::string_view::npos) {
    pos = ScanSection(text, NextLineStart(text, pos), counts);
  }
  return counts;
}

RecorderDetection DetectRecorder(const IniFile& settings) {
  RecorderDetection result;
  if (settings.GetIntDefault(L"EPGDATACAP", L"ENABLE", 0) != 1) return result;

  std::wstring program;
  if (GetSettingFilePath(settings, program, kMaxPathChars, L"EPGDATACAP", L"EPGTIMEREXE",
                         L"EpgTimer_Bon.exe", true)) {
    if (const auto srvIni = SiblingFilePath(program, L"EpgTimerSrv.ini")) {
      std::size_t size = 0;
      Block text = ReadWholeFile(*srvIni, &size);
      result.srvMode = text != nullptr;
      if (!text) text = ReadWholeFile(*SiblingFilePath(program, L"EpgTimer_Bon.ini"), &size);
      if (!text) return result;
      result.logLines.push_back(result.srvMode ? "EpgDataCap_Bon（人柱版９）以降検出\n"
                                               : "EpgDataCap_Bon（人柱版８．５６）以下検出\n");
      result.counts = CountTuners(std::string_view(text.get(), size));
    }
  }
  result.logLines.push_back(CountsLine(result.counts));
  return result;
}

void DetectTuners(IniFile& settings) {
  const RecorderDetection detection = DetectRecorder(settings);
  srvMode = detection.srvMode;
  for (std::size_t i = 0; i < tunerCounts.size(); ++i) tunerCounts[i] = detection.counts[i];
  for (const std::string& line : detection.logLines) LogWriteNoPost("%s", line.c_str());
}

}  // namespace plimod
