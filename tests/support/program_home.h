#pragma once
// The built program in a home of its own (PLIMOD_HOME): a copy of the
// decoder module, EPG data made by the project's writer, a settings file
// with the log on, a free loopback HTTP port and the data folder.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace plimod::test {

// Where the build puts the program, the module and the writer.
inline const std::filesystem::path kBuiltPrograms = PLIMOD_BINARY_DIR "/bin";

// Tomorrow's date as yyyymmdd: the writer's demo data always cover it.
std::string Tomorrow();

class ProgramHome {
 public:
  // `moreSettings` are lines ("KEY=value\r\n") added to the [SYSTEM]
  // section, or further sections.
  ProgramHome(const std::string& prefix, const std::wstring& moreSettings);

  const std::filesystem::path& Path() const { return folder_.Path(); }
  std::filesystem::path EpgFolder() const { return Path() / "epg"; }
  int Port() const { return port_; }
  // Whether the writer made at least one data file.
  bool HasEpgData() const;

  // Starts the program in this home; -1 when it could not be started.
  pid_t Start(const std::vector<std::string>& arguments = {}) const;

  // The log as UTF-8 text (the file is CP932).
  std::string Log() const;
  bool WaitForLog(const std::string& text, std::chrono::seconds bound = std::chrono::seconds(60)) const;

  std::string Url(const std::string& path) const;
  // The body curl gets for `path`.
  std::string Fetch(const std::string& path) const;

 private:
  void WriteSettings(const std::wstring& moreSettings) const;

  int port_;
  TempFolder folder_;
  int writerStatus_ = -1;
};

}  // namespace plimod::test
