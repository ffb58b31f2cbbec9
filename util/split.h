#pragma once
// Splitting of texts into fields. The narrow forms keep empty fields; the
// wide forms treat a run of separators as one and skip leading separators.

#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace plimod {

// Cuts `text` in place at every `sep` (each becomes NUL) and stores a pointer
// to each field while fewer than `max` are stored. Returns the number of
// fields, counting those beyond `max` too (callers use min(count, max)),
// or 0 when the first byte is below 0x20. Empty fields count.
int SplitInPlace(char* text, char sep, char** fields, int max);

// As SplitInPlace without changing the text: stores pointer and length of
// each field (up to `max`); a field also ends at any byte below 0x20, and
// splitting goes on only behind a separator.
int SplitSpans(const char* text, char sep, const char** fields, int* lengths, int max);

// Skips leading separators; each field runs to the next separator, and the
// whole run of separators behind it becomes NULs. No empty fields. Returns
// the number of fields (counting those beyond `max`).
int SplitInPlaceW(wchar_t* text, wchar_t sep, wchar_t** fields, int max);
// As SplitInPlaceW, storing lengths in characters and leaving the text alone.
int SplitSpansW(const wchar_t* text, wchar_t sep, const wchar_t** fields, int* lengths, int max);

// Clears `out` and appends the fields SplitInPlaceW would find; returns
// their count.
int SplitToList(std::wstring_view text, wchar_t sep, std::list<std::wstring>& out);
int SplitToVector(std::wstring_view text, wchar_t sep, std::vector<std::wstring>& out);

}  // namespace plimod
