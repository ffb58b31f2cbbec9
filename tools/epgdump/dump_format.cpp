#include "tools/epgdump/dump_format.h"

#include <cstdio>

#include "platform/text_codec.h"

namespace {

std::string Hex4(uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%04x", value & 0xFFFFu);
  return buffer;
}

}  // namespace

std::string EscapedUtf8(const char16_t* text) {
  if (text == nullptr) return {};
  std::wstring escaped;
  for (wchar_t c : plimod::Utf16ToWide(text)) {
    switch (c) {
      case L'\\': escaped += L"\\\\"; break;
      case L'\t': escaped += L"\\t"; break;
      case L'\r': escaped += L"\\r"; break;
      case L'\n': escaped += L"\\n"; break;
      default: escaped += c; break;
    }
  }
  // A lone surrogate comes out as U+FFFD.
  return plimod::WideToUtf8String(escaped);
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
