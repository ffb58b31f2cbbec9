// Loading and saving the settings document (UTF-16LE, BOM, CR LF).

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file.h"
#include "platform/text_codec.h"
#include "settings/ini_file.h"

namespace plimod {
namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

bool IsMissingFile(const std::string& nativePath) {
  struct stat st{};
  return ::stat(nativePath.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// The settings file holds the HTTP password in plain text: a file we create
// is made private before the atomic replace, which keeps existing modes.
void CreatePrivateIfMissing(const std::string& nativePath) {
  UniqueFd fd(::open(nativePath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
}

void ReportLoadFailure(const std::string& nativePath, const std::string& reason) {
  std::fprintf(stderr, "%s: settings not loaded: %s\n", nativePath.c_str(), reason.c_str());
}

// The decoded text without its byte-order mark; false when a U+0000 sits
// before the end (a NUL-terminated reader would lose what follows it).
bool PrepareText(std::wstring& text) {
  std::size_t end = text.find_last_not_of(L'\0');
  text.resize(end == std::wstring::npos ? 0 : end + 1);
  if (text.find(L'\0') != std::wstring::npos) return false;
  if (!text.empty() && text[0] == kByteOrderMark) text.erase(0, 1);
  return true;
}

bool StartsSection(std::wstring_view line) {
  return line.size() >= 2 && line.front() == L'[' && line.back() == L']';
}

}  // namespace

bool IniFile::Load(const std::wstring& path, bool okIfMissing) {
  auto lock = Lock();
  Clear();
  path_ = path;
  const std::string native = ToNativePath(path);
  std::string bytes;
  std::string error;
  if (!ReadFileToString(native, bytes)) {
    if (IsMissingFile(native)) return okIfMissing;
    error = "cannot read the file";
  } else {
    std::wstring text = Utf16LeToWide(bytes);
    if (!PrepareText(text)) {
      error = "U+0000 inside the text";
    } else if (ParseDocument(text, error)) {
      return true;
    }
  }
  Clear();  // forgets the path too, so a later Save cannot overwrite the file
  unreadablePath_ = path;
  loadError_ = error;
  ReportLoadFailure(native, error);
  return false;
}

bool IniFile::ParseDocument(std::wstring_view text, std::string& error) {
  Section* section = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    ++linesRead_;
    const std::size_t length = LineLength(text.substr(pos));
    const std::wstring_view line = text.substr(pos, length);
    if (StartsSection(line)) {
      section = &AppendSection(line.substr(1, length - 2));
    } else if (section == nullptr) {
      error = "line " + std::to_string(linesRead_) + " comes before the first section";
      return false;
    } else if (!line.empty()) {
      Line entry;
      const std::size_t equals = line.substr(0, line.find(L'\t')).find(L'=');
      entry.keyed = equals != std::wstring_view::npos;
      entry.key = entry.keyed ? std::wstring(line.substr(0, equals)) : std::wstring();
      entry.value = std::wstring(entry.keyed ? line.substr(equals + 1) : line);
      section->lines.push_back(std::move(entry));
    }
    const std::size_t end = pos + length;
    if (end + 1 >= text.size()) break;  // the text ends at or right behind the line
    if (text[end] == L'\n') {
      pos = end + 1;
    } else if (text[end] == L'\r' && text[end + 1] == L'\n') {
      pos = end + 2;
    } else {
      error = "line " + std::to_string(linesRead_) + " ends with a stray control character";
      return false;
    }
  }
  return true;
}

std::wstring IniFile::SerializeDocument() const {
  std::wstring text(1, kByteOrderMark);
  for (const Section& s : sections_) {
    text += L"[" + s.name + L"]\r\n";
    for (const Line& line : s.lines) {
      if (line.keyed) text += line.key + L"=";
      text += line.value + L"\r\n";
    }
  }
  return text;
}

bool IniFile::Save(const wchar_t* path) {
  auto lock = Lock();
  const std::wstring target = path != nullptr ? std::wstring(path) : path_;
  if (target.empty()) return false;
  const std::string native = ToNativePath(target);
  CreatePrivateIfMissing(native);
  return ReplaceFileAtomically(native, WideToUtf16Le(SerializeDocument()));
}

}  // namespace plimod
