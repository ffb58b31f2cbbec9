#include "util/text_title.h"

#include <vector>

#include "util/text_clean.h"
#include "util/text_regex.h"

namespace plimod {
namespace {

std::vector<boost::wregex> CompileAll(const std::vector<std::wstring>& patterns) {
  std::vector<boost::wregex> out(patterns.size());
  for (std::size_t i = 0; i < patterns.size(); ++i) CompileRegex(patterns[i], out[i]);
  return out;
}

}  // namespace

std::wstring StripBracketTags(const std::wstring& text) {
  static const std::vector<boost::wregex> tag = CompileAll({L"\\[.*?\\]"});
  std::wstring out = text;
  RegexEraseAll(out, tag[0]);
  TrimSpaces(out);
  return out;
}

std::wstring CutSeriesTitle(const std::wstring& text) {
  // Order matters: leading tags first, so that "\[.*" does not cut the whole title.
  static const std::vector<boost::wregex> cuts = CompileAll({
      L"^\\[.*?\\]",
      L"\\[.*",
      L"#.*",
      L"\uFF03.*",        // ＃
      L"\u3000\u7B2C.*",  // ideographic space, 第
      L" \u7B2C.*",       // blank, 第
      L"\u300C.*",        // 「
  });
  std::wstring out = text;
  for (const boost::wregex& re : cuts) RegexEraseAll(out, re);
  TrimSpaces(out);
  return out;
}

}  // namespace plimod
