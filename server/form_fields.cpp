#include "server/form_fields.h"

#include <algorithm>

#include "server/page_reply.h"
#include "server/request_context.h"

namespace plimod {

std::string GetFormParam(const std::string& name) {
  std::string value = CurrentParameters().Value(name);
  value.erase(std::remove(value.begin(), value.end(), '\''), value.end());
  return value;
}

void WriteHiddenField(ReplyWriter& out, const std::string& name) {
  std::string value = GetFormParam(name);
  if (value.empty()) return;
  SendPageText(out, "<input type=hidden name=%s value='%s'>\n", name.c_str(), value.c_str());
}

}  // namespace plimod
