#include "epg/page_range.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace plimod {
namespace {

// atoi of a parameter value, clamped to the int range (0 for text).
int ParameterInt(std::string_view text) {
  std::string copy(text);
  long value = std::strtol(copy.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

bool PageRange(std::string_view page, std::string_view limit, int item, int count) {
  if (page == "all") return true;
  long long pageNo = ParameterInt(page);
  if (pageNo < 1) pageNo = 1;
  long long perPage = ParameterInt(limit);
  if (perPage < 1) perPage = kDefaultPageLimit;
  long long pages = (static_cast<long long>(count) - 1) / perPage + 1;
  if (pageNo > pages) pageNo = pages;
  return perPage * (pageNo - 1) < item && item <= perPage * pageNo;
}

}  // namespace plimod
