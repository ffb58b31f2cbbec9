#include "tests/support/program_home.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <thread>

#include "platform/text_codec.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/loopback_port.h"

namespace plimod::test {
namespace fs = std::filesystem;

ProgramHome::ProgramHome(const std::string& prefix, const std::wstring& moreSettings)
    : port_(FreeLoopbackPort()), folder_(prefix) {
  fs::copy_file(kBuiltPrograms / "EpgDataCap2.so", Path() / "EpgDataCap2.so");
  fs::create_directories(EpgFolder());
  const std::string writer = (kBuiltPrograms / "epgwriter").string() + " --demo " + EpgFolder().string();
  writerStatus_ = std::system((writer + " >/dev/null").c_str());
  WriteSettings(moreSettings);
}

std::string Tomorrow() {
  const std::time_t t = std::time(nullptr) + 86400;
  std::tm fields{};
  localtime_r(&t, &fields);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &fields);
  return text;
}

bool ProgramHome::HasEpgData() const {
  if (writerStatus_ != 0) return false;
  for (const auto& entry : fs::directory_iterator(EpgFolder())) {
    if (entry.path().string().ends_with("_epg.dat")) return true;
  }
  return false;
}

pid_t ProgramHome::Start(const std::vector<std::string>& arguments) const {
  std::vector<std::string> env = {"PLIMOD_HOME=" + Path().string(), "TZ=Asia/Tokyo", "LC_ALL=C.UTF-8",
                                  "PATH=/usr/bin:/bin"};
  AddSanitizerOptions(env);
  // Fakes of the calendar service and the reservation server reach the
  // program through these too.
  for (const char* name : {"SYOBOCAL_URL", "EPGTIMER_PIPE_DIR", "EPGTIMER_EVENT_PREFIX"}) {
    if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
  }
  return StartProcess((kBuiltPrograms / "plimod").string(), arguments, env);
}

std::string ProgramHome::Log() const {
  return WideToUtf8String(Cp932ToWide(ReadFileBytes(Path() / "lumo.log")));
}

bool ProgramHome::WaitForLog(const std::string& text, std::chrono::seconds bound) const {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < end) {
    if (Log().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

std::string ProgramHome::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string ProgramHome::Fetch(const std::string& path) const {
  return CommandOutput("curl -s --max-time 60 '" + Url(path) + "'");
}

void ProgramHome::WriteSettings(const std::wstring& moreSettings) const {
  const std::wstring text = L"[SYSTEM]\r\nLOG=1\r\nHTTPPORT=" + std::to_wstring(port_) +
                            L"\r\nEPGDATAFOLDER=" + Utf8ToWide(EpgFolder().string()) + L"/\r\n" +
                            moreSettings;
  std::ofstream(Path() / "plimo.ini", std::ios::binary) << "\xFF\xFE" << WideToUtf16Le(text);
}

}  // namespace plimod::test
