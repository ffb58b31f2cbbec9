#include "server/text_with_br.h"

#include <algorithm>

#include "server/page_reply.h"

namespace plimod {

void WriteTextWithBr(ReplyWriter& out, std::string_view text) {
  for (;;) {
    size_t cr = text.find('\r');
    if (cr == std::string_view::npos) {
      if (!text.empty()) SendBytes(out, text);
      return;
    }
    if (cr > 0) SendBytes(out, text.substr(0, cr));
    SendPageText(out, "<BR>");
    // A lone CR at the very end has no LF to skip.
    text.remove_prefix(std::min(cr + 2, text.size()));
  }
}

}  // namespace plimod
