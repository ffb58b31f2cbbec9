#pragma once
// The program's few message boxes. Until the desktop layer takes them over
// (SetMessageBoxSink), they go to standard error.

#include <functional>
#include <string>
#include <string_view>

namespace plimod {

inline constexpr wchar_t kMessageBoxCaption[] = L"プリモ";

// Shows `text` under `caption`; never blocks for long and never fails.
void ShowMessageBox(std::wstring_view text, std::wstring_view caption = kMessageBoxCaption);

using MessageBoxSink = std::function<void(std::wstring_view text, std::wstring_view caption)>;
// Replaces where message boxes go; an empty function restores standard error.
void SetMessageBoxSink(MessageBoxSink sink);

}  // namespace plimod
