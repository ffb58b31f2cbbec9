#include "recorder/text_file/program_txt_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <optional>
#include <unordered_set>

#include "platform/file.h"
#include "recorder/base/recorder_text.h"
#include "recorder/lists/reserve_list_keep.h"
#include "recorder/lines/reserve_text.h"
#include "util/file_io.h"
#include "util/format.h"

namespace plimod {
namespace {

bool EndsWithoutLineEnd(int fd, off_t size) {
  if (size == 0) return false;
  char last = 0;
  if (::pread(fd, &last, 1, size - 1) != 1) return false;
  return last != '\r' && last != '\n';
}

// What stat says of a file: any change of its content by anyone changes it.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const struct stat& st) {
  return {st.st_dev, st.st_ino, st.st_size,
          std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec,
          std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec};
}

// The programme keys of the Program.txt read last, with its stamp then: a
// pass that adds thousands of programmes reads the file once instead of once
// per add. The program's own appends keep the keys current; any other change
// of the file makes the next question read it again.
struct KnownKeys {
  std::string nativePath;
  FileStamp stamp;
  std::unordered_set<std::uint64_t> keys;
};
std::mutex knownMutex;
std::optional<KnownKeys> known;

void AddKeysOf(const std::string& text, std::unordered_set<std::uint64_t>& keys) {
  for (const ReserveTextLine& line : SplitReserveText(text)) {
    if (line.IsReservation()) keys.insert(LineProgramKey(line));
  }
}

// After an append to a file whose keys were current before it.
void NoteAppend(const std::string& nativePath, const struct stat& before, int fd,
                std::string_view line) {
  std::lock_guard lock(knownMutex);
  if (!known || known->nativePath != nativePath || known->stamp != StampOf(before)) return;
  struct stat after {};
  if (::fstat(fd, &after) != 0) {
    known.reset();
    return;
  }
  known->stamp = StampOf(after);
  AddKeysOf(std::string(line), known->keys);
}

}  // namespace

std::string FormatProgramTxtLine(const ReserveLine& line) {
  std::string batch = line.batchPath;
  StripQuotes(batch);
  char text[2046];
  FormatA(text, sizeof text,
          "%04d/%02d/%02d\t%02d:%02d:%02d\t%02d:%02d:%02d\t%s\t%s\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%d"
          "\t%s\t0\t%s",
          line.start.wYear, line.start.wMonth, line.start.wDay, line.start.wHour,
          line.start.wMinute, line.start.wSecond, line.durationHours, line.durationMinutes,
          line.durationSeconds, CleanRecorderText(line.title).c_str(),
          CleanRecorderText(line.station).c_str(), line.networkId, line.transportStreamId,
          line.serviceId, line.eventId, line.priority, line.follow, 0, line.recordMode,
          line.pittari, CleanRecorderText(batch).c_str(), CleanRecorderText(line.comment).c_str());
  return std::string(text) + "\r\n";
}

bool AppendProgramTxtLine(const std::wstring& path, std::string_view line) {
  const std::string nativePath = ToNativePath(path);
  UniqueFd fd(::open(nativePath.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) return false;
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) return false;
  std::string bytes;
  if (EndsWithoutLineEnd(fd.get(), st.st_size)) bytes = "\r\n";
  bytes += line;
  const bool written = WriteBytes(fd.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  ReserveListChanged();
  if (written) {
    NoteAppend(nativePath, st, fd.get(), line);
    return true;
  }
  // A full disk or a size limit took part of the line: the recorder would
  // read the broken rest as a reservation, and the next line would join it.
  [[maybe_unused]] const bool cut = ::ftruncate(fd.get(), st.st_size) == 0;
  return false;
}

bool ProgramTxtHoldsProgramme(const std::wstring& path, std::uint64_t programKey) {
  const std::string nativePath = ToNativePath(path);
  std::lock_guard lock(knownMutex);
  // Stamped before the read: a change during it only makes the next
  // question read the file again.
  struct stat st {};
  if (::stat(nativePath.c_str(), &st) != 0) {
    known.reset();
    return false;
  }
  if (!known || known->nativePath != nativePath || known->stamp != StampOf(st)) {
    std::string text;
    if (!ReadFileToString(nativePath, text)) {
      known.reset();
      return false;
    }
    known.emplace(KnownKeys{nativePath, StampOf(st), {}});
    AddKeysOf(text, known->keys);
  }
  return known->keys.contains(programKey);
}

}  // namespace plimod
