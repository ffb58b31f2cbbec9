#include "util/split.h"

#include <cstring>
#include <cwchar>

namespace plimod {
namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20; }

// Calls visit(start, length) for each field of the wide rules: leading
// separators skipped, a run of separators ends a field, no empty fields.
template <typename Visit>
int ForEachWideField(std::wstring_view text, wchar_t sep, const Visit& visit) {
  int count = 0;
  std::size_t i = 0;
  while (i < text.size() && text[i] == sep) ++i;
  while (i < text.size()) {
    const std::size_t start = i;
    while (i < text.size() && text[i] != sep) ++i;
    visit(start, i - start, count);
    ++count;
    while (i < text.size() && text[i] == sep) ++i;
  }
  return count;
}

}  // namespace

int SplitInPlace(char* text, char sep, char** fields, int max) {
  if (text == nullptr || IsControl(text[0])) return 0;
  int count = 0;
  char* field = text;
  for (;;) {
    if (count < max) fields[count] = field;
    ++count;
    char* end = std::strchr(field, sep);
    if (end == nullptr || sep == '\0') break;
    *end = '\0';
    field = end + 1;
  }
  return count;
}

int SplitSpans(const char* text, char sep, const char** fields, int* lengths, int max) {
  if (text == nullptr || IsControl(text[0])) return 0;
  int count = 0;
  const char* field = text;
  for (;;) {
    const char* end = field;
    while (*end != sep && !IsControl(*end)) ++end;
    if (count < max) {
      fields[count] = field;
      lengths[count] = static_cast<int>(end - field);
    }
    ++count;
    if (*end != sep || sep == '\0') break;
    field = end + 1;
  }
  return count;
}

int SplitInPlaceW(wchar_t* text, wchar_t sep, wchar_t** fields, int max) {
  if (text == nullptr) return 0;
  const std::wstring_view view(text, std::wcslen(text));
  const int count = ForEachWideField(view, sep, [&](std::size_t start, std::size_t, int index) {
    if (index < max) fields[index] = text + start;
  });
  // Every separator behind the first field ends a field: make it NUL. The
  // leading run stays as it is.
  const std::size_t first = view.find_first_not_of(sep);
  for (std::size_t i = first; i < view.size(); ++i) {
    if (text[i] == sep) text[i] = L'\0';
  }
  return count;
}

int SplitSpansW(const wchar_t* text, wchar_t sep, const wchar_t** fields, int* lengths, int max) {
  if (text == nullptr) return 0;
  const std::wstring_view view(text, std::wcslen(text));
  return ForEachWideField(view, sep, [&](std::size_t start, std::size_t length, int index) {
    if (index < max) {
      fields[index] = text + start;
      lengths[index] = static_cast<int>(length);
    }
  });
}

int SplitToList(std::wstring_view text, wchar_t sep, std::list<std::wstring>& out) {
  out.clear();
  return ForEachWideField(text, sep, [&](std::size_t start, std::size_t length, int) {
    out.emplace_back(text.substr(start, length));
  });
}

int SplitToVector(std::wstring_view text, wchar_t sep, std::vector<std::wstring>& out) {
  out.clear();
  return ForEachWideField(text, sep, [&](std::size_t start, std::size_t length, int) {
    out.emplace_back(text.substr(start, length));
  });
}

}  // namespace plimod
