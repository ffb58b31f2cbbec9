#include "util/setting_file_path.h"

#include <cwctype>

namespace plimod {
namespace {

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view tail) {
  if (tail.size() > text.size()) return false;
  const std::wstring_view end = text.substr(text.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::towlower(static_cast<wint_t>(end[i])) != std::towlower(static_cast<wint_t>(tail[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ComposeSettingFilePath(std::wstring& out, std::size_t size, std::wstring_view value,
                            const wchar_t* fileName, bool acceptEmpty) {
  const std::wstring_view name = fileName ? std::wstring_view(fileName) : std::wstring_view();
  std::wstring result;
  if (value.empty()) {
    if (fileName == nullptr || !acceptEmpty) return false;
    result = name;
  } else if (fileName != nullptr && EndsWithIgnoringCase(value, name)) {
    result = value;
  } else {
    result = value;
    if (result.back() != L'/') result.push_back(L'/');
    result += name;
  }
  if (result.size() >= size) return false;
  out = std::move(result);
  return true;
}

}  // namespace plimod
