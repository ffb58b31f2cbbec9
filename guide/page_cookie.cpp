#include "guide/page_cookie.h"

#include <cstdio>

namespace plimod {

namespace {

constexpr std::time_t kCookieLifeSeconds = 31'536'000;
constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string ExpiryDate(std::time_t t) {
  std::tm utc{};
  gmtime_r(&t, &utc);
  // Years before 2000 come out a century later, as they always have.
  const int year = utc.tm_year + 1900 + (utc.tm_year < 100 ? 100 : 0);
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02d-%s-%4d %02d:%02d:%02d GMT", kDayNames[utc.tm_wday], utc.tm_mday,
                kMonthNames[utc.tm_mon], year, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

std::string CookieValueOf(PageMode mode, const PageState& state) {
  char text[64];
  if (mode == PageMode::kStation) {
    std::snprintf(text, sizeof text, "range=%d", state.range);
  } else {
    std::snprintf(text, sizeof text, "range=%d&band=%x", state.range, state.band);
  }
  return text;
}

}  // namespace

const char* CookieNameOf(PageMode mode) {
  switch (mode) {
    case PageMode::kEpg: return "defepg";
    case PageMode::kStation: return "defstation";
    case PageMode::kSearch: break;
  }
  return "defsearch";
}

std::string EscapeCookieValue(std::string_view value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '%': out += "%25"; break;
      case '&': out += "%26"; break;
      case '=': out += "%3D"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeCookieValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const std::string_view next = value.substr(i, 3);
    if (next == "%3D") {
      out += '=';
    } else if (next == "%26") {
      out += '&';
    } else if (next == "%25") {
      out += '%';
    } else {
      out += value[i];
      continue;
    }
    i += 2;
  }
  return out;
}

std::optional<std::string> FindCookieValue(std::string_view header, std::string_view name) {
  std::size_t pos = 0;
  while (pos <= header.size()) {
    while (pos < header.size() && (header[pos] == ' ' || header[pos] == '\t')) ++pos;
    std::size_t end = header.find(';', pos);
    if (end == std::string_view::npos) end = header.size();
    const std::string_view cookie = header.substr(pos, end - pos);
    if (cookie.size() > name.size() && cookie.substr(0, name.size()) == name && cookie[name.size()] == '=') {
      return std::string(cookie.substr(name.size() + 1));
    }
    pos = end + 1;
  }
  return std::nullopt;
}

void ApplyCookieDefaults(RequestParameters& params, std::string_view header, PageMode mode) {
  if (header.empty()) return;
  const auto value = FindCookieValue(header.substr(0, kCookieTextMax), CookieNameOf(mode));
  if (!value) return;
  params.Parse(UnescapeCookieValue(*value), false);
}

std::string CookieLine(PageMode mode, const PageState& state, std::time_t now) {
  return std::string("Set-Cookie: ") + CookieNameOf(mode) + "=" + EscapeCookieValue(CookieValueOf(mode, state)) +
         "; expires=" + ExpiryDate(now + kCookieLifeSeconds) + "\n";
}

}  // namespace plimod
