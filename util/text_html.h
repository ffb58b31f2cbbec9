#pragma once
// HTML character references in wide text.

#include <string>

namespace plimod {

// In place, in one pass: < > & " become &lt; &gt; &amp; &quot;.
void HtmlEscape(std::wstring& text);

// In place: &lt; &gt; &quot; and then &amp; are replaced, each over the whole
// text before the next (so "&amp;lt;" ends as "&lt;"); then decimal
// references "&#N;" become their characters. Hexadecimal references, "&#0;",
// digit runs longer than seven, values above U+10FFFF and surrogates stay as
// they are.
void HtmlUnescape(std::wstring& text);

}  // namespace plimod
