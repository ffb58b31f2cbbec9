#pragma once
// Helpers shared by the EPG tests: temporary folders, file writing and the
// folders holding the real and the misbehaving decoder modules.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace plimod::test {

// The folder of the real EpgDataCap2.so.
inline std::string RealModuleDir() { return std::string(PLIMOD_BINARY_DIR) + "/bin/"; }
// A folder holding a deliberately broken EpgDataCap2.so ("missing_export",
// "failing_init").
inline std::string FakeModuleDir(const std::string& name) {
  return std::string(EPG_FAKE_MODULES_DIR) + "/" + name + "/";
}

// A fresh folder under the system's temporary folder, removed with its
// content at the end of the scope.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "plimod-epg-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::wstring WidePath() const { return std::wstring(path_.begin(), path_.end()); }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace plimod::test
