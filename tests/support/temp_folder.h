#pragma once
// A fresh folder under the system's temporary folder, removed with all its
// content when the object goes.

#include <filesystem>
#include <string>

namespace plimod::test {

class TempFolder {
 public:
  // `prefix` names the folder, so a leftover shows which tests made it.
  explicit TempFolder(const std::string& prefix = "plimod");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path File(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace plimod::test
