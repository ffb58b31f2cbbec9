#include "util/log_entry.h"

#include <cstdio>

#include "platform/text_codec.h"

namespace plimod {
namespace {

std::string TimePrefix(const SystemTime& t) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%04d%02d%02d %02d%02d%02d: ", t.wYear % 10000,
                t.wMonth % 100, t.wDay % 100, t.wHour % 100, t.wMinute % 100,
                t.wSecond % 100);
  return prefix;
}

// Start of the first whole CP932 character at or after `target`, scanning
// from the last line start before it (a line start is always a boundary).
std::size_t Cp932BoundaryAtOrAfter(std::string_view text, std::size_t target) {
  std::size_t lastLf = target == 0 ? std::string_view::npos : text.rfind('\n', target - 1);
  std::size_t pos = lastLf == std::string_view::npos ? 0 : lastLf + 1;
  while (pos < target) {
    pos += IsCp932LeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
  }
  return pos < text.size() ? pos : text.size();
}

}  // namespace

std::string MakeLogEntry(const SystemTime& time, std::string_view utf8Text) {
  std::string entry = TimePrefix(time) + WideToCp932(Utf8ToWide(utf8Text));
  if (entry.size() <= kLogEntryMaxBytes) return entry;
  const bool endsLine = entry.back() == '\n';
  entry.resize(Cp932CutPoint(entry, kLogEntryMaxBytes - (endsLine ? 1 : 0)));
  if (endsLine) entry.push_back('\n');
  return entry;
}

std::string TrimmedLogContent(std::string_view content, std::size_t keepFrom) {
  if (content.size() <= keepFrom) return std::string(content);
  const std::size_t lf = content.find('\n', keepFrom);
  if (lf != std::string_view::npos) return std::string(content.substr(lf + 1));
  const std::size_t start = Cp932BoundaryAtOrAfter(content, content.size() - keepFrom);
  return std::string(content.substr(start));
}

}  // namespace plimod
