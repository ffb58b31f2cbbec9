#include <gtest/gtest.h>

#include <vector>

#include "epg/page_range.h"

namespace plimod {
namespace {

std::vector<int> ItemsOnPage(const char* page, const char* limit, int count) {
  std::vector<int> items;
  for (int item = 1; item <= count; ++item) {
    if (PageRange(page, limit, item, count)) items.push_back(item);
  }
  return items;
}

TEST(PageRangeTest, PagesOfTwentyFiveItems) {
  EXPECT_EQ(ItemsOnPage("3", "10", 25), (std::vector<int>{21, 22, 23, 24, 25}));
  EXPECT_EQ(ItemsOnPage("7", "10", 25), ItemsOnPage("3", "10", 25));  // past the end: last page
  EXPECT_EQ(ItemsOnPage("all", "10", 25).size(), 25u);
  EXPECT_EQ(ItemsOnPage("2", "12", 25), (std::vector<int>{13, 14, 15, 16, 17, 18, 19, 20, 21,
                                                          22, 23, 24}));
}

TEST(PageRangeTest, MissingOrBadValuesFallBackToPageOneOfTen) {
  EXPECT_EQ(ItemsOnPage("", "", 25), ItemsOnPage("1", "10", 25));
  EXPECT_EQ(ItemsOnPage("0", "abc", 25), ItemsOnPage("1", "10", 25));
  EXPECT_EQ(ItemsOnPage("-4", "-1", 25).size(), 10u);
  EXPECT_EQ(ItemsOnPage("ALL", "10", 25).size(), 10u);  // only "all" itself shows everything
}

TEST(PageRangeTest, NoItemsStillGivesPageOne) {
  EXPECT_TRUE(PageRange("5", "10", 1, 0));
  EXPECT_FALSE(PageRange("5", "10", 11, 0));
}

}  // namespace
}  // namespace plimod
