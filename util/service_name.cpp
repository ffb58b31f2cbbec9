#include "util/service_name.h"

#include <vector>

#include "platform/text_codec.h"

namespace plimod {
namespace {

constexpr unsigned char kDotLead = 0x81, kDotTrail = 0x45;   // "・"
constexpr unsigned char kOneLead = 0x82, kOneTrail = 0x50;   // "１"

unsigned char ByteAt(std::string_view s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

// Offsets at which the characters of a CP932 text start.
std::vector<std::size_t> CharacterStarts(std::string_view s) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < s.size();) {
    starts.push_back(i);
    i += (IsCp932LeadByte(ByteAt(s, i)) && i + 1 < s.size()) ? 2 : 1;
  }
  return starts;
}

bool IsPair(std::string_view s, std::size_t i, unsigned char lead, unsigned char trail) {
  return i + 1 < s.size() && ByteAt(s, i) == lead && ByteAt(s, i + 1) == trail;
}

bool IsFullWidthOne(std::string_view s) {
  return s.size() == 2 && ByteAt(s, 0) == kOneLead && ByteAt(s, 1) == kOneTrail;
}

// For a non-terrestrial name: true when the text behind the dot is
// full-width digits ending in exactly "１".
bool IsChannelNumberSuffix(std::string_view rest) {
  for (std::size_t i = 0; IsFullWidthDigit(rest.substr(i)); i += 2) {
    if (IsFullWidthOne(rest.substr(i))) return true;
  }
  return false;
}

void CutAtMiddleDot(std::string& sjis, bool terrestrial) {
  for (std::size_t start : CharacterStarts(sjis)) {
    if (!IsPair(sjis, start, kDotLead, kDotTrail)) continue;
    if (terrestrial || IsChannelNumberSuffix(std::string_view(sjis).substr(start + 2))) {
      sjis.resize(start);
    }
    return;
  }
}

void DropTerrestrialOne(std::string& sjis) {
  const std::vector<std::size_t> starts = CharacterStarts(sjis);
  if (sjis.size() > 4 && starts.size() >= 2) {
    const std::size_t last = starts.back();
    const std::size_t before = starts[starts.size() - 2];
    const bool digitBefore = last - before == 2 && ByteAt(sjis, before) == kOneLead &&
                             ByteAt(sjis, before + 1) >= 0x50 && ByteAt(sjis, before + 1) <= 0x5A;
    if (IsFullWidthOne(std::string_view(sjis).substr(last)) && !digitBefore) sjis.resize(last);
  }
  if (!sjis.empty() && sjis.back() == '1') sjis.pop_back();
}

}  // namespace

bool IsFullWidthDigit(std::string_view sjis) {
  return sjis.size() >= 2 && ByteAt(sjis, 0) == 0x82 && ByteAt(sjis, 1) >= 0x4F &&
         ByteAt(sjis, 1) <= 0x59;
}

void TrimServiceNameSjis(std::string& sjis, bool terrestrial) {
  CutAtMiddleDot(sjis, terrestrial);
  if (terrestrial) DropTerrestrialOne(sjis);
}

void TrimServiceName(std::wstring& name, bool terrestrial) {
  // The rules only shorten the name, at character boundaries, so keep the
  // wide prefix of the same length: characters CP932 lacks survive.
  std::string sjis;
  std::vector<std::size_t> bytesBefore;  // CP932 length before each character
  for (wchar_t c : name) {
    bytesBefore.push_back(sjis.size());
    sjis += WideToCp932(std::wstring_view(&c, 1));
  }
  TrimServiceNameSjis(sjis, terrestrial);
  std::size_t keep = 0;
  while (keep < name.size() && bytesBefore[keep] < sjis.size()) ++keep;
  name.resize(keep);
}

}  // namespace plimod
