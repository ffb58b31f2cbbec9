#pragma once
// The tray icons: embedded in the program and written to a private folder
// for the indicator, which loads them by their full path. (An icon theme
// path is avoided: the indicator's fallback tray icon reads past the end of
// the theme's search path when one is set.)

#include <cstddef>
#include <string>

namespace plimod {

struct EmbeddedIcon {
  const char* name;  // file name without ".png"
  const unsigned char* data;
  std::size_t size;
};

// [0] normal, [1] busy.
extern const EmbeddedIcon kTrayIconFiles[2];

// A folder of its own holding the icon files; removed with the object.
class IconFolder {
 public:
  IconFolder();
  ~IconFolder();
  IconFolder(const IconFolder&) = delete;
  IconFolder& operator=(const IconFolder&) = delete;

  // Empty when the folder or a file could not be written.
  const std::string& Path() const { return path_; }
  // The full path of the icon file for a tray state.
  std::string IconPath(int trayState) const;

 private:
  std::string path_;
};

}  // namespace plimod
