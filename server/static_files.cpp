#include "server/static_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <strings.h>

#include "platform/file.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"

namespace plimod {

namespace {

constexpr std::size_t kMaxPathBytes = 255;

struct TypeEntry {
  const char* extension;
  const char* type;
};

constexpr TypeEntry kTypes[] = {
    {"html", "text/html"}, {"htm", "text/html"},   {"txt", "text/plain"},
    {"css", "text/css"},   {"jpg", "image/jpeg"},  {"jpeg", "image/jpeg"},
    {"png", "image/png"},  {"gif", "image/gif"},   {"ico", "image/x-icon"},
    {"js", "text/javascript"},
};

void SendNotFound(ReplyWriter& out) { SendPageText(out, "HTTP/1.0 404 Not Found\n\n"); }

// Opens a regular file without blocking on a FIFO or device.
UniqueFd OpenRegularFile(const std::string& native_path, std::int64_t& size) {
  UniqueFd fd(::open(native_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return fd;
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return UniqueFd();
  size = info.st_size;
  return fd;
}

}  // namespace

std::optional<std::string> StaticRelativePath(std::string_view request_path) {
  std::string_view path = request_path.substr(0, kMaxPathBytes);
  path = path.substr(0, path.find('?'));
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  std::string relative;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") {
      if (!relative.empty()) relative += '/';
      relative.append(part);
    }
    start = end + 1;
  }
  if (path.empty() || path.back() == '/' || path.back() == '\\') {
    if (!relative.empty()) relative += '/';
    relative += "index.html";
  }
  return relative;
}

const char* StaticContentType(std::string_view relative_path) {
  std::size_t dot = relative_path.rfind('.');
  if (dot != std::string_view::npos) {
    std::string extension(relative_path.substr(dot + 1));
    for (const TypeEntry& entry : kTypes) {
      if (strcasecmp(extension.c_str(), entry.extension) == 0) return entry.type;
    }
  }
  return "application/octet-stream";
}

UniqueFd ServeStaticFile(ReplyWriter& out, const std::wstring& document_root, std::string_view request_path,
                         bool head_only) {
  std::optional<std::string> relative = StaticRelativePath(request_path);
  if (document_root.empty() || !relative) {
    SendNotFound(out);
    return UniqueFd();
  }
  // Paths arrive as code-page bytes, as the browsers of the original users sent them.
  std::wstring full = document_root;
  if (full.back() != L'/') full += L'/';
  full += Cp932ToWide(*relative);
  std::int64_t size = 0;
  UniqueFd file = OpenRegularFile(ToNativePath(full), size);
  if (!file) {
    SendNotFound(out);
    return UniqueFd();
  }
  SendPageText(out, "Content-Type: %s\nContent-Length: %" PRId64 "\n\n", StaticContentType(*relative),
               size);
  if (head_only) file.reset();
  return file;
}

}  // namespace plimod
