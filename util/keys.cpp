#include "util/keys.h"

#include <cstdio>

namespace plimod {

int FormatChannelKey(std::uint64_t serviceKey, std::string* narrow, std::wstring* wide) {
  const int band = BandIndexOf(serviceKey);
  char text[16];
  std::snprintf(text, sizeof text, "%c%04xH", kBandLetters[band],
                static_cast<unsigned>(SidOf(serviceKey)));
  if (narrow) *narrow = text;
  if (wide) wide->assign(text, text + std::char_traits<char>::length(text));
  return band;
}

std::wstring ChannelKeyText(std::uint64_t serviceKey) {
  std::wstring text;
  FormatChannelKey(serviceKey, nullptr, &text);
  return text;
}

}  // namespace plimod
