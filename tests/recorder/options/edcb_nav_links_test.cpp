// The link row of the recorder pages.

#include <gtest/gtest.h>

#include "recorder/options/edcb_nav_links.h"
#include "server/reply_writer.h"

namespace plimod {
namespace {

TEST(WriteEdcbNavLinks, EveryLinkCarriesTheViewEncoded) {
  RequestParameters params;
  params["cmd"] = "epgtimer";
  params["mode"] = "1";
  params["day"] = "x' onmouseover='y";
  std::string reply;
  ReplyWriter out(&reply);
  WriteEdcbNavLinks(out, params);
  const std::string q = "mode=1&day=x%27%20onmouseover%3D%27y";
  EXPECT_EQ(reply, "<A HREF='?" + q + "'>戻る</A>　<A HREF='?cmd=edcb&" + q +
                       "'>EDCB</A>　<A HREF='?cmd=epgtimer&" + q +
                       "'>予約一覧</A>　<A HREF='?cmd=autore&" + q + "'>自動予約</A>");
}

}  // namespace
}  // namespace plimod
