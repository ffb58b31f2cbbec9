#pragma once
// File descriptors and whole-file helpers. Paths inside the program are wide
// text; the file system gets their UTF-8 form.

#include <string>
#include <string_view>

namespace plimod {

// Owns one file descriptor and closes it once.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  explicit operator bool() const { return valid(); }
  // Gives up ownership without closing.
  int release();
  // Closes the current descriptor (if any) and takes `fd`.
  void reset(int fd = -1);

 private:
  int fd_ = -1;
};

// The file-system (UTF-8) form of a wide path.
std::string ToNativePath(std::wstring_view path);

// Reads the whole file into `out`; false (and `out` empty) on any failure.
bool ReadFileToString(const std::string& nativePath, std::string& out);
bool ReadFileToString(std::wstring_view path, std::string& out);

// Writes `bytes` to a temporary file in the same folder, syncs it and renames
// it over `path`, so readers see either the old or the new file whole.
// Keeps the old file's permission bits when it existed.
bool ReplaceFileAtomically(const std::string& nativePath, std::string_view bytes);
bool ReplaceFileAtomically(std::wstring_view path, std::string_view bytes);

// True when the path names an existing regular file.
bool FileExists(const std::string& nativePath);

}  // namespace plimod
