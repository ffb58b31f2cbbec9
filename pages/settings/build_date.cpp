#include "pages/settings/build_date.h"

#include <vector>


namespace plimod {

namespace {

constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Words between runs of blanks ("Jan  5 2018" pads the day).
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = text.find_first_not_of(' ', pos);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    words.push_back(text.substr(start, end - start));
    pos = end;
  }
  return words;
}

int MonthNumber(std::string_view name) {
  for (int i = 0; i < 12; ++i) {
    if (kMonths[i] == name) return i + 1;
  }
  return 0;
}

}  // namespace

std::string FormatBuildDate(std::string_view compilerDate) {
  const std::vector<std::string_view> words = Words(compilerDate);
  if (words.size() < 3) return std::string(compilerDate);
  return std::string(words[2]) + "/" + std::to_string(MonthNumber(words[0])) + "/" + std::string(words[1]);
}

std::string ProgramBuildDate() { return FormatBuildDate(__DATE__); }

}  // namespace plimod
