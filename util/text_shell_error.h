#pragma once
// Texts for the result codes of opening a document or program on the host.
// The launcher maps its errors onto these codes.

#include <string>

namespace plimod {

// The Japanese text for a code; "" for a code without one.
std::wstring ShellExecuteErrorText(int code);

}  // namespace plimod
