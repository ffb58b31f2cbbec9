#include "util/file_io.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/system_time.h"
#include "util/format.h"

namespace plimod {
namespace {

constexpr int kSharingRetries = 10;
constexpr std::uint32_t kSharingRetryMs = 100;
constexpr std::uint64_t k4GB = 0x1'0000'0000ull;

// Another program holding the file open blocks an open on some systems;
// Linux has no such mandatory sharing, so this never fires here.
bool IsSharingViolation(int /*error*/) { return false; }

int OpenRetryingOnEintr(const std::string& path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

UniqueFd OpenRead(std::wstring_view path) {
  const std::string native = ToNativePath(path);
  for (int attempt = 0;; ++attempt) {
    const int fd = OpenRetryingOnEintr(native, O_RDONLY);
    if (fd >= 0) return UniqueFd(fd);
    if (!IsSharingViolation(errno) || attempt == kSharingRetries) return UniqueFd();
    SleepMs(kSharingRetryMs);
  }
}

UniqueFd CreateWrite(std::wstring_view path) {
  return UniqueFd(OpenRetryingOnEintr(ToNativePath(path), O_WRONLY | O_CREAT | O_TRUNC, 0644));
}

UniqueFd OpenAppend(std::wstring_view path) {
  UniqueFd fd(OpenRetryingOnEintr(ToNativePath(path), O_RDWR | O_CREAT, 0644));
  if (fd && ::lseek(fd.get(), 0, SEEK_END) < 0) fd.reset();
  return fd;
}

void CloseFile(UniqueFd& fd) { fd.reset(); }

ssize_t ReadBytes(int fd, void* buf, std::size_t count) {
  ssize_t n;
  do {
    n = ::read(fd, buf, count);
  } while (n < 0 && errno == EINTR);
  return n;
}

ssize_t WriteBytes(int fd, const void* buf, std::size_t count) {
  // A short write would silently lose the rest, so keep writing.
  const auto* p = static_cast<const char*>(buf);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, p + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? static_cast<ssize_t>(done) : -1;
    }
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool WriteU16(int fd, std::uint16_t value) {
  const unsigned char bytes[2] = {static_cast<unsigned char>(value & 0xFF),
                                  static_cast<unsigned char>(value >> 8)};
  return WriteBytes(fd, bytes, 2) == 2;
}

std::size_t WriteFormatted(int fd, const char* format, ...) {
  char buf[4096];
  va_list args;
  va_start(args, format);
  FormatAV(buf, sizeof buf, format, args);
  va_end(args);
  const ssize_t n = WriteBytes(fd, buf, std::strlen(buf));
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

std::uint32_t FileSize32(int fd) {
  struct stat st{};
  if (::fstat(fd, &st) != 0 || st.st_size < 0) return 0;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  return size >= k4GB ? 0 : static_cast<std::uint32_t>(size);
}

Block ReadWholeFile(std::wstring_view path, std::size_t* size) {
  if (size) *size = 0;
  UniqueFd fd = OpenRead(path);
  if (!fd) return nullptr;
  const std::size_t fileSize = FileSize32(fd.get());
  if (size) *size = fileSize;
  Block block;
  if (fileSize == 0 || !AllocBlock(block, fileSize + 1)) return nullptr;
  std::size_t done = 0;
  while (done < fileSize) {
    const ssize_t n = ReadBytes(fd.get(), block.get() + done, fileSize - done);
    if (n < 0) return nullptr;
    if (n == 0) break;  // the file shrank while we read it
    done += static_cast<std::size_t>(n);
  }
  if (size) *size = done;
  block[done] = '\0';
  return done == 0 ? nullptr : std::move(block);
}

}  // namespace plimod
