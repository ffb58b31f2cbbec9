#include "server/reply_bound.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

using std::chrono::milliseconds;

const SteadyTime kNow = SteadyTime() + std::chrono::hours(1);
SteadyTime Ago(int ms) { return kNow - milliseconds(ms); }

TEST(ReplyBoundTest, OnlyRepliesTakenNothingFromForTwoSecondsGoLongestStalledFirstUntilBelowTheLimit) {
  struct Case {
    const char* what;
    std::vector<WaitingReply> replies;  // 10 bytes each
    std::size_t limit;
    std::vector<std::uint64_t> dropped;
  };
  const Case cases[] = {
      {"below the limit nothing goes", {{1, 10, Ago(9000)}}, 11, {}},
      {"replies being read never go", {{1, 10, Ago(1999)}, {2, 10, Ago(0)}}, 5, {}},
      {"longest stalled first, until below", {{1, 10, Ago(2000)}, {2, 10, Ago(9000)}, {3, 10, Ago(3000)}}, 25, {2}},
      {"every stalled one when that is not enough", {{1, 10, Ago(2500)}, {2, 10, Ago(100)}, {3, 10, Ago(4000)}}, 5,
       {3, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StalledRepliesToDrop(c.replies, c.replies.size() * 10, c.limit, kNow), c.dropped) << c.what;
  }
}

TEST(ReplyBoundTest, TheNextLookComesWhenTheFirstReplyWouldCountAsStalled) {
  EXPECT_EQ(NextStallMark({{1, 10, Ago(500)}, {2, 10, Ago(1500)}}), kNow + milliseconds(500));
  EXPECT_EQ(NextStallMark({}), SteadyTime::max());
}

}  // namespace
}  // namespace plimod
