#include "recorder/options/edcb_nav_links.h"

#include <string>

#include "server/carry_over.h"
#include "server/page_reply.h"

namespace plimod {

void WriteEdcbNavLinks(ReplyWriter& out, const RequestParameters& params) {
  const std::string query = MakeCarryOverQuery(params);
  const char* q = query.c_str();
  SendPageText(out,
               "<A HREF='?%s'>戻る</A>　<A HREF='?cmd=edcb&%s'>EDCB</A>"
               "　<A HREF='?cmd=epgtimer&%s'>予約一覧</A>　<A HREF='?cmd=autore&%s'>自動予約</A>",
               q, q, q, q);
}

}  // namespace plimod
