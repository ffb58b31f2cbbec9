// Real service and event strings from broadcasts, with the text other
// projects expect for them.

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "decoder/arib_string.h"
#include "tests/decoder/arib_test_util.h"

namespace {

using arib_test::Hex;
using arib_test::Narrow;
using arib_test::Utf16;
using arib_test::Utf8;

struct Vector {
  std::string id;
  std::string hex;
  std::string expected;
};

std::vector<Vector> LoadVectors() {
  std::ifstream in(PLIMOD_SOURCE_DIR "/tests/decoder/data/arib-string-vectors.tsv");
  std::vector<Vector> vectors;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#' || line.starts_with("id\t")) continue;
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    if (fields.size() >= 4) vectors.push_back({fields[0], fields[2], fields[3]});
  }
  return vectors;
}

// The source projects write boxed symbols as Unicode enclosed ideographs.
std::u16string BracketsAsEnclosed(std::u16string text) {
  static const std::map<std::u16string, std::u16string> kEnclosed = {
      {u"[二]", Utf16("🈔")}, {u"[字]", Utf16("🈑")}, {u"[解]", Utf16("🈖")}};
  for (const auto& [bracketed, enclosed] : kEnclosed) {
    for (size_t at; (at = text.find(bracketed)) != std::u16string::npos;) {
      text.replace(at, bracketed.size(), enclosed);
    }
  }
  return text;
}

TEST(AribVectors, RealStringsDecodeToTheirExpectedText) {
  const std::vector<Vector> vectors = LoadVectors();
  ASSERT_EQ(vectors.size(), 26u);
  for (const Vector& v : vectors) {
    const std::vector<uint8_t> bytes = Hex(v.hex);
    const std::u16string decoded = arib::Decode(bytes.data(), bytes.size());
    EXPECT_EQ(Utf8(BracketsAsEnclosed(Narrow(decoded))), Utf8(Narrow(Utf16(v.expected)))) << v.id;
  }
}

TEST(AribVectors, AlphanumericsAreFullWidthAndSymbolsBracketed) {
  const std::vector<uint8_t> bytes =
      Hex("0E 4E 48 4B 1D 4B 1D 65 F9 1D 39 37 0F 1B 24 3B 7A 5A 7A 56");
  EXPECT_EQ(Utf8(arib::Decode(bytes.data(), bytes.size())), "ＮＨＫニュース７[二][字]");
}

TEST(AribVectors, RealStringsSurviveAnEncodeDecodeRoundTrip) {
  for (const Vector& v : LoadVectors()) {
    const std::vector<uint8_t> bytes = Hex(v.hex);
    const std::u16string decoded = arib::Decode(bytes.data(), bytes.size());
    const std::vector<uint8_t> encoded = arib::Encode(decoded);
    EXPECT_EQ(Utf8(arib::Decode(encoded.data(), encoded.size())), Utf8(decoded)) << v.id;
  }
}

}  // namespace
