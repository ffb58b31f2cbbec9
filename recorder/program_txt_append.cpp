#include "recorder/program_txt_append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "recorder/recorder_text.h"
#include "util/file_io.h"
#include "util/format.h"

namespace plimod {
namespace {

bool EndsWithoutLineEnd(int fd) {
  struct stat st{};
  if (::fstat(fd, &st) != 0 || st.st_size == 0) return false;
  char last = 0;
  if (::pread(fd, &last, 1, st.st_size - 1) != 1) return false;
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
  std::string bytes;
  if (EndsWithoutLineEnd(fd.get())) bytes = "\r\n";
  bytes += line;
  return WriteBytes(fd.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

}  // namespace plimod
