#include "tools/epgdump/dump_format.h"

#include <cstdio>

namespace {

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

std::string Hex4(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04x", value & 0xFFFFu);
  return buffer;
}

}  // namespace

std::string EscapedUtf8(const char16_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char16_t* p = text; *p != u'\0'; ++p) {
    char32_t c = *p;
    if (IsHigh(*p) && IsLow(p[1])) {
      c = 0x10000 + ((char32_t{p[0]} - 0xD800) << 10) + (char32_t{p[1]} - 0xDC00);
      ++p;
    } else if (IsHigh(*p) || IsLow(*p)) {
      c = 0xFFFD;
    }
    switch (c) {
      case U'\\': out += "\\\\"; break;
      case U'\t': out += "\\t"; break;
      case U'\r': out += "\\r"; break;
      case U'\n': out += "\\n"; break;
      default: AppendUtf8(c, out); break;
    }
  }
  return out;
}

std::string ServiceLine(const DecoderServiceEntry& s) {
  return "S\t" + Hex4(s.original_network_id) + "\t" + Hex4(s.transport_stream_id) + "\t" +
         Hex4(s.service_id) + "\t" + std::to_string(s.service_type & 0xFFFFu) + "\t" +
         EscapedUtf8(s.service_name);
}

std::string EventLine(const DecoderEventEntry& e) {
  char start[64];
  const DecoderSystemTime& t = e.start_time;
  std::snprintf(start, sizeof start, "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  std::string genres;
  for (uint32_t i = 0; i < e.genre_count && e.genres != nullptr; ++i) {
    char value[16];
    std::snprintf(value, sizeof value, "%08x", e.genres[i]);
    if (i > 0) genres += ",";
    genres += value;
  }
  return "E\t" + Hex4(e.original_network_id) + "\t" + Hex4(e.transport_stream_id) + "\t" +
         Hex4(e.service_id) + "\t" + Hex4(e.event_id) + "\t" + start + "\t" +
         std::to_string(e.duration_seconds) + "\t" + genres + "\t" + EscapedUtf8(e.title) + "\t" +
         EscapedUtf8(e.short_text) + "\t" + EscapedUtf8(e.extended_text);
}
