#pragma once
// The resident size of the test process as the kernel counts it, and its
// peak since the last reset, in KiB.

#include <cstddef>
#include <fstream>
#include <string>

namespace plimod::test {

// The KiB of one line of /proc/self/status ("VmRSS:", "VmHWM:"); 0 when
// it is not there.
inline std::size_t ProcStatusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.compare(0, key.size(), key) == 0) return std::stoul(line.substr(key.size()));
  }
  return 0;
}

// Sets the peak (VmHWM) back to the present size and returns that size.
inline std::size_t ResetPeakResidentKb() {
  std::ofstream("/proc/self/clear_refs") << "5";
  return ProcStatusKb("VmRSS:");
}

}  // namespace plimod::test
