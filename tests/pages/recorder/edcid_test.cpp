#include "pages/recorder/edcid.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

TEST(Edcid, RoundTripsKeysAndNegativeIdsAndReadsShortTextsAsZero) {
  EXPECT_EQ(MakeEdcid(0x00120001000200a3ull, 5), "E_00120001000200a3_0005");
  EXPECT_EQ(MakeEdcid(1, -5), "E_0000000000000001_fffffffb");
  const EdcidParts parts = ParseEdcid("E_00120001000200a3_fffffffb");
  EXPECT_EQ(parts.programKey, 0x00120001000200a3ull);
  EXPECT_EQ(parts.reserveId, -5);

  EXPECT_EQ(ParseEdcid("E_12").programKey, 0x12u);
  EXPECT_EQ(ParseEdcid("E_12").reserveId, 0);
  EXPECT_EQ(ParseEdcid("").programKey, 0u);
  EXPECT_EQ(ParseEdcid("E_0000000000000001_").reserveId, 0);
}

}  // namespace
}  // namespace plimod
