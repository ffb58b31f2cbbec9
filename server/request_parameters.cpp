#include "server/request_parameters.h"

#include "platform/text_codec.h"
#include "server/request_context.h"

namespace plimod {

namespace {

constexpr std::string_view kAllKey = "_all";
constexpr std::string_view kMultipartMark = "----------";
// The Shift-JIS ideographic space a form puts in `spc` when it may be sent in
// the system code page.
constexpr std::string_view kCp932Space = "\x81\x40";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

std::string EscapeAngles(const std::string& value) {
  if (value.find_first_of("<>") == std::string::npos) return value;
  std::string out;
  out.reserve(value.size() + 8);
  for (char c : value) {
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else {
      out += c;
    }
  }
  return out;
}

// The part name from a Content-Disposition line: quoted, or up to ";".
std::string DispositionName(std::string_view line) {
  size_t at = line.find("name=");
  if (at == std::string_view::npos) return {};
  std::string_view rest = line.substr(at + 5);
  if (!rest.empty() && rest.front() == '"') {
    rest.remove_prefix(1);
    return std::string(rest.substr(0, rest.find('"')));
  }
  return std::string(rest.substr(0, rest.find(';')));
}

}  // namespace

void UrlDecodeInPlace(std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%' && i + 2 < text.size()) {
      out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
      i += 2;
    } else if (c == '+') {
      out += ' ';
    } else {
      out += c;
    }
  }
  text.swap(out);
}

void ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement) {
  if (pattern.empty()) return;
  // Restarting at the beginning would never end when the replacement brings
  // the pattern back; then one left-to-right pass is all that is safe.
  const bool restart = replacement.find(pattern) == std::string_view::npos;
  size_t from = 0;
  for (;;) {
    size_t at = text.find(pattern, from);
    if (at == std::string::npos) return;
    text.replace(at, pattern.size(), replacement);
    from = restart ? 0 : at + replacement.size();
  }
}

std::string RequestParameters::Value(const std::string& name) const {
  auto it = map_.find(name);
  return it == map_.end() ? std::string() : it->second;
}

void RequestParameters::Reset(std::string_view text) {
  map_.clear();
  Parse(text, true);
}

void RequestParameters::Reset() { map_.clear(); }

int RequestParameters::Parse(const char* text, bool join) {
  if (text == nullptr) return 0;
  return Parse(std::string_view(text), join);
}

int RequestParameters::Parse(std::string_view text, bool join) {
  map_[std::string(kAllKey)] = std::string(text);
  if (text.substr(0, kMultipartMark.size()) == kMultipartMark) {
    ParseMultipart(text);
    return 1;
  }
  ParseUrlEncoded(text, join);
  if (Value("spc").substr(0, kCp932Space.size()) == kCp932Space) ConvertCp932Values();
  EscapeAngleBrackets();
  EraseIfForeign();
  return 1;
}

void RequestParameters::Store(const std::string& name, const std::string& value, bool join) {
  std::string& slot = map_[name];
  if (slot.empty()) {
    slot = value;
  } else if (join && !value.empty()) {
    slot += '\t';
    slot += value;
  }
}

void RequestParameters::ParseUrlEncoded(std::string_view text, bool join) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('&', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(start, end - start);
    if (!piece.empty()) {
      size_t eq = piece.find('=');
      std::string name(piece.substr(0, eq));
      std::string value = eq == std::string_view::npos ? std::string() : std::string(piece.substr(eq + 1));
      UrlDecodeInPlace(name);
      UrlDecodeInPlace(value);
      Store(name, value, join);
    }
    start = end + 1;
  }
}

void RequestParameters::ParseMultipart(std::string_view text) {
  size_t first_lf = text.find('\n');
  if (first_lf == std::string_view::npos) return;
  const std::string boundary(text.substr(0, first_lf));
  const std::string delimiter = "\n" + boundary;
  size_t pos = first_lf + 1;
  for (;;) {
    std::string name;
    // Header lines up to the empty one.
    for (;;) {
      size_t lf = text.find('\n', pos);
      if (lf == std::string_view::npos) return;
      std::string_view line = text.substr(pos, lf - pos);
      pos = lf + 1;
      if (line.empty()) break;
      if (line.substr(0, 20) == "Content-Disposition:") name = DispositionName(line);
    }
    if (name.empty()) name = "dummy";
    // The LF before the next boundary line may be the empty line's own.
    size_t end = text.find(delimiter, pos - 1);
    if (end == std::string_view::npos) return;
    if (end > pos) {
      std::string value(text.substr(pos, end - pos));
      std::string& slot = map_[name];
      if (!slot.empty()) slot += '\t';
      slot += value;
    }
    size_t after = end + delimiter.size();
    if (text.substr(after, 2) == "--") return;
    pos = after + 1;
    if (pos > text.size()) return;
  }
}

void RequestParameters::ConvertCp932Values() {
  for (auto& [name, value] : map_) value = WideToUtf8String(Cp932ToWide(value));
}

void RequestParameters::EscapeAngleBrackets() {
  for (auto& [name, value] : map_) value = EscapeAngles(value);
}

// A command sent from a page of another host (or with no Referer at all) is
// dropped whole, so a link elsewhere cannot change settings here.
void RequestParameters::EraseIfForeign() {
  if (RequestFromOwnPage()) return;
  const std::string cmd = Value("cmd");
  if (!cmd.empty() && cmd != "edcb" && cmd != "syoboialert") {
    map_.clear();
    return;
  }
  if (!Value("c").empty()) map_.clear();
}

}  // namespace plimod
