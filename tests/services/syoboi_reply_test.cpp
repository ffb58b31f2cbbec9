#include <gtest/gtest.h>

#include "services/syoboi_reply.h"

namespace plimod {
namespace {

TEST(SyoboiReplyTest, AttributesOfOneLineStopAtItsEnd) {
  const std::string text = "<ProgItem PID=\"12\" Title=\"A &amp; B\" />\r\n<ProgItem PID=\"13\" />\n";
  XmlAttributes attributes;
  const std::size_t next = ParseXmlAttributes(text, 0, attributes);
  EXPECT_EQ(attributes, (XmlAttributes{{"PID", "12"}, {"Title", "A &amp; B"}}));
  EXPECT_EQ(text.substr(next, 9), "<ProgItem");
}

TEST(SyoboiReplyTest, MalformedAttributesAreSkippedWithoutLeavingTheLine) {
  XmlAttributes attributes;
  const std::string text = "<ProgItem odd A=1 PID=\"7\" B= C=\"x\" Title=\"open\n<ProgItem PID=\"8\" />\n";
  const std::size_t next = ParseXmlAttributes(text, 0, attributes);
  EXPECT_EQ(attributes, (XmlAttributes{{"PID", "7"}, {"C", "x"}}));
  EXPECT_EQ(text.substr(next, 9), "<ProgItem");

  attributes.clear();
  const std::string unterminated = "<ProgItem PID=\"9\" Title=\"never closed";
  EXPECT_EQ(ParseXmlAttributes(unterminated, 0, attributes), unterminated.size());
  EXPECT_EQ(attributes, (XmlAttributes{{"PID", "9"}}));
}

TEST(SyoboiReplyTest, TimesNeedTwelveCharacters) {
  const auto full = ParseSyoboiTime("20261209233015");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->wYear, 2026);
  EXPECT_EQ(full->wMonth, 12);
  EXPECT_EQ(full->wDay, 9);
  EXPECT_EQ(full->wHour, 23);
  EXPECT_EQ(full->wMinute, 30);
  EXPECT_EQ(full->wSecond, 15);
  EXPECT_EQ(full->wDayOfWeek, 0);
  const auto noSeconds = ParseSyoboiTime("202612092330");
  ASSERT_TRUE(noSeconds);
  EXPECT_EQ(noSeconds->wSecond, 0);
  EXPECT_FALSE(ParseSyoboiTime("20261209233"));
}

TEST(SyoboiReplyTest, ItemsNeedTheirClosingMark) {
  const std::string reply =
      "<ProgItems>\n<ProgItem PID=\"1\" />\n<ProgItem TID=\"5\" />\n"
      "<ProgItem PID=\"2\" />\n<ProgItem PID=\"3\" Title=\"cut";
  const std::vector<XmlAttributes> items = ReadProgItems(reply);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].at("PID"), "1");
  EXPECT_EQ(items[1].at("PID"), "2");
}

}  // namespace
}  // namespace plimod
