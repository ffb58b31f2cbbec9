#pragma once
// The name-to-value map of one request's parameters, with the parsing rules
// every page relies on.

#include <map>
#include <string>
#include <string_view>

namespace plimod {

class RequestParameters {
 public:
  using Map = std::map<std::string, std::string>;

  RequestParameters() = default;
  virtual ~RequestParameters() = default;
  RequestParameters(const RequestParameters&) = default;
  RequestParameters& operator=(const RequestParameters&) = default;
  RequestParameters(RequestParameters&&) = default;
  RequestParameters& operator=(RequestParameters&&) = default;

  // Parses `text` into the map; duplicates are TAB-joined when `join` is
  // set, else the first non-empty value stays. Always 1.
  int Parse(std::string_view text, bool join);
  // Null text: nothing is parsed, 0.
  int Parse(const char* text, bool join);

  // Clears the map, then parses `text` with duplicates joined.
  void Reset(std::string_view text);
  // Clears the map only (a request without a query).
  void Reset();

  // Looking a name up creates an empty entry, as every reader treats a
  // missing parameter like an empty one.
  std::string& operator[](const std::string& name) { return map_[name]; }
  // Reads without creating an entry; empty when missing.
  std::string Value(const std::string& name) const;
  bool Empty() const { return map_.empty(); }
  void Clear() { map_.clear(); }
  const Map& Entries() const { return map_; }

 private:
  void Store(const std::string& name, const std::string& value, bool join);
  void ParseUrlEncoded(std::string_view text, bool join);
  void ParseMultipart(std::string_view text);
  void ConvertCp932Values();
  void EscapeAngleBrackets();
  void EraseIfForeign();

  Map map_;
};

// Decodes "%xx" (a non-hex digit counts as 0) and "+" (a blank) in place. A
// "%" with fewer than two characters behind it is copied as it is.
void UrlDecodeInPlace(std::string& text);

// Replaces every `pattern`, searching again from the start after each
// replacement (so `replacement` must not contain `pattern`).
void ReplaceAll(std::string& text, std::string_view pattern, std::string_view replacement);

}  // namespace plimod
