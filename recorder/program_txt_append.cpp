#include "recorder/program_txt_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "recorder/recorder_text.h"
#include "recorder/reserve_text.h"
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
  UniqueFd fd(::open(ToNativePath(path).c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (!fd) return false;
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) return false;
  std::string bytes;
  if (EndsWithoutLineEnd(fd.get(), st.st_size)) bytes = "\r\n";
  bytes += line;
  if (WriteBytes(fd.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size())) return true;
  // A full disk or a size limit took part of the line: the recorder would
  // read the broken rest as a reservation, and the next line would join it.
  [[maybe_unused]] const bool cut = ::ftruncate(fd.get(), st.st_size) == 0;
  return false;
}

bool ProgramTxtHoldsProgramme(const std::wstring& path, std::uint64_t programKey) {
  std::string text;
  if (!ReadFileToString(path, text)) return false;
  for (const ReserveTextLine& line : SplitReserveText(text)) {
    if (line.IsReservation() && LineProgramKey(line) == programKey) return true;
  }
  return false;
}

}  // namespace plimod
