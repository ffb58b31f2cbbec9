#include "platform/file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/text_codec.h"

namespace plimod {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Makes the rename itself durable; failure here does not undo the replace.
void SyncFolder(const std::string& folder) {
  UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.get());
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

int UniqueFd::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0 && fd_ != fd) ::close(fd_);
  fd_ = fd;
}

std::string ToNativePath(std::wstring_view path) { return WideToUtf8String(path); }

bool ReadFileToString(const std::string& nativePath, std::string& out) {
  out.clear();
  UniqueFd fd(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return false;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      out.clear();
      return false;
    }
    if (n == 0) return true;
    out.append(buf, static_cast<std::size_t>(n));
  }
}

bool ReadFileToString(std::wstring_view path, std::string& out) {
  return ReadFileToString(ToNativePath(path), out);
}

bool ReplaceFileAtomically(const std::string& nativePath, std::string_view bytes) {
  if (nativePath.empty()) return false;
  mode_t mode = 0644;
  struct stat old{};
  if (::stat(nativePath.c_str(), &old) == 0) mode = old.st_mode & 07777;

  std::string tempPath = nativePath + ".XXXXXX";
  std::vector<char> name(tempPath.begin(), tempPath.end());
  name.push_back('\0');
  UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
  if (!fd) return false;
  tempPath = name.data();

  const bool written = WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 &&
                       ::fsync(fd.get()) == 0;
  const bool closed = ::close(fd.release()) == 0;
  if (!written || !closed || ::rename(tempPath.c_str(), nativePath.c_str()) != 0) {
    ::unlink(tempPath.c_str());
    return false;
  }
  SyncFolder(FolderOf(nativePath));
  return true;
}

bool ReplaceFileAtomically(std::wstring_view path, std::string_view bytes) {
  return ReplaceFileAtomically(ToNativePath(path), bytes);
}

bool FileExists(const std::string& nativePath) {
  struct stat st{};
  return ::stat(nativePath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace plimod
