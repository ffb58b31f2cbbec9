#include "services/syoboi_reply.h"

namespace plimod {

namespace {

constexpr std::string_view kProgItem = "<ProgItem PID=";
constexpr std::size_t kMinTimeLength = 12;

bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }
bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20; }

std::size_t LineEnd(std::string_view text, std::size_t pos) {
  while (pos < text.size() && !IsLineEnd(text[pos])) ++pos;
  return pos;
}

std::size_t AfterLine(std::string_view text, std::size_t pos) {
  pos = LineEnd(text, pos);
  if (pos < text.size() && text[pos] == '\r') ++pos;
  if (pos < text.size() && text[pos] == '\n') ++pos;
  return pos;
}

// Reads the decimal number of text[from, from + width) as atoi would.
int Digits(std::string_view text, std::size_t from, std::size_t width) {
  int value = 0;
  for (std::size_t i = from; i < text.size() && i < from + width; ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

std::size_t ParseXmlAttributes(std::string_view text, std::size_t pos, XmlAttributes& out) {
  const std::size_t end = LineEnd(text, pos);
  const std::string_view line = text.substr(0, end);
  while (pos < end && !IsControl(line[pos])) {
    while (pos < end && line[pos] != ' ' && !IsControl(line[pos])) ++pos;  // element name, or what a bad attribute left
    while (pos < end && line[pos] == ' ') ++pos;
    if (pos >= end || IsControl(line[pos])) break;
    const std::size_t equals = line.find('=', pos);
    if (equals == std::string_view::npos) break;
    const std::string_view name = line.substr(pos, equals - pos);
    if (name.find(' ') != std::string_view::npos || equals + 1 >= end || line[equals + 1] != '"') {
      pos = equals + 1;  // not name="...": skip it
      continue;
    }
    const std::size_t close = line.find('"', equals + 2);
    if (close == std::string_view::npos) break;  // unterminated value: the rest of the line is lost
    out[std::string(name)] = std::string(line.substr(equals + 2, close - equals - 2));
    pos = close + 1;
  }
  return AfterLine(text, end);
}

std::optional<SystemTime> ParseSyoboiTime(std::string_view text) {
  if (text.size() < kMinTimeLength) return std::nullopt;
  SystemTime time;
  time.wYear = static_cast<std::uint16_t>(Digits(text, 0, 4));
  time.wMonth = static_cast<std::uint16_t>(Digits(text, 4, 2));
  time.wDay = static_cast<std::uint16_t>(Digits(text, 6, 2));
  time.wHour = static_cast<std::uint16_t>(Digits(text, 8, 2));
  time.wMinute = static_cast<std::uint16_t>(Digits(text, 10, 2));
  time.wSecond = static_cast<std::uint16_t>(Digits(text, 12, 2));
  return time;
}

std::vector<XmlAttributes> ReadProgItems(std::string_view reply) {
  std::vector<XmlAttributes> items;
  std::size_t pos = 0;
  while (true) {
    const std::size_t start = reply.find(kProgItem, pos);
    if (start == std::string_view::npos || reply.find("/>", start) == std::string_view::npos) break;
    XmlAttributes attributes;
    pos = ParseXmlAttributes(reply, start, attributes);
    items.push_back(std::move(attributes));
  }
  return items;
}

}  // namespace plimod
