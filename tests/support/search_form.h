#pragma once
// The search form of a stored text, as the EPG import builds it. Header
// only: tests that use it link the util library anyway.

#include <string>

#include "util/text_normalize.h"

namespace plimod::test {

inline std::wstring SearchFormOf(const std::wstring& text) {
  std::wstring form = NormalizedCopy(text, L"");
  escapeSearchWord(form);
  return form;
}

}  // namespace plimod::test
