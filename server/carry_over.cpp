#include "server/carry_over.h"

#include "server/page_reply.h"

namespace plimod {

namespace {

bool IsLeftOut(const std::string& name, std::string_view leave_out) {
  return !leave_out.empty() && leave_out.find(name) != std::string_view::npos;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '*';
}

}  // namespace

std::string PercentEncodeValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (char ch : value) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

void AppendCarryOverParam(const RequestParameters& params, std::string& out, const std::string& name,
                          std::string_view leave_out) {
  if (IsLeftOut(name, leave_out)) return;
  std::string value = params.Value(name);
  if (value.empty()) return;
  if (!out.empty()) out += '&';
  out += name;
  out += '=';
  out += PercentEncodeValue(value);
}

std::string MakeCarryOverQuery(const RequestParameters& params, std::string_view leave_out) {
  std::string query;
  for (const char* name : kCarryOverNames) {
    std::string next = query;
    AppendCarryOverParam(params, next, name, leave_out);
    // Whole parameters only: a cut inside one would leave a broken "%xx".
    if (next.size() > kCarryOverQueryMax) continue;
    query.swap(next);
  }
  return query;
}

void WriteCarryOverHidden(const RequestParameters& params, ReplyWriter& out, const std::string& name,
                          std::string_view leave_out) {
  if (IsLeftOut(name, leave_out)) return;
  std::string value = params.Value(name);
  if (value.empty()) return;
  SendPageText(out, "<input type=hidden name=%s value='%s'>\n", name.c_str(),
               PercentEncodeValue(value).c_str());
}

void WriteCarryOverHiddenFields(const RequestParameters& params, ReplyWriter& out,
                                std::string_view leave_out) {
  for (const char* name : kCarryOverNames) WriteCarryOverHidden(params, out, name, leave_out);
}

}  // namespace plimod
