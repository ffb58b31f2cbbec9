#include "server/log_page.h"

#include <string>

#include "platform/file.h"
#include "server/page_reply.h"
#include "util/log.h"

namespace plimod {

int ServeLogPage(ReplyWriter& out) {
  SendPageText(out, "Content-Type: text/plain;\n\n");
  std::wstring path = LogFilePath();
  std::string content;
  if (path.empty() || !ReadFileToString(std::wstring_view(path), content)) {
    SendPageText(out, "logfile not found\n");
    return 0;
  }
  SendBytes(out, content);
  return 0;
}

}  // namespace plimod
