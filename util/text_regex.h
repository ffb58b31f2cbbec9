#pragma once
// Regular-expression helpers over Boost.Regex wide expressions (Perl syntax,
// default flags, leftmost match). No regex error ever leaves these helpers:
// an invalid pattern, or one that gives up on a pathological text, counts as
// described for each function.

#include <boost/regex.hpp>

#include <cstddef>
#include <locale>
#include <string>
#include <vector>

namespace plimod {

// "C.UTF-8" (the classic locale where it is missing): the character classes
// of the helpers here, independent of the process locale.
const std::locale& Utf8ClassLocale();

// Compiles a pattern with the UTF-8 character classes (so "\s" knows U+3000
// whatever the process locale is). False, with out left empty, when the
// pattern does not compile.
bool CompileRegex(const std::wstring& pattern, boost::wregex& out);

// Erases group 1 of the first match when the pattern has groups (nothing
// when group 1 took no part), else the whole first match. True after any
// match, even when nothing was erased; false for no match or a bad pattern.
bool RegexErase(std::wstring& text, const std::wstring& pattern);
bool RegexErase(std::wstring& text, const boost::wregex& re);

// Erases with RegexErase until no match is left. Stops as soon as an erase
// removes nothing, so a pattern that matches without erasing cannot spin.
// Gives the number of erases that removed text.
std::size_t RegexEraseAll(std::wstring& text, const std::wstring& pattern);
std::size_t RegexEraseAll(std::wstring& text, const boost::wregex& re);

// The whole first match; "" when there is none; "[regexerr]" for a bad
// pattern.
std::wstring RegexExtract(const std::wstring& text, const std::wstring& pattern);

// On a match, out receives the texts of groups 1..n (a group that took no
// part gives ""), or the whole match alone when the pattern has no groups,
// and the result is true. No match or a bad pattern: false, out unchanged.
bool RegexExtractGroups(const std::wstring& text, const std::wstring& pattern,
                        std::vector<std::wstring>& out);

}  // namespace plimod
