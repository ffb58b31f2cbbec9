#pragma once
// The search fields of a condition form, shared by the pages that keep
// search conditions (the search condition editor, the automatic
// reservation page): storing a post into a section, writing the fields
// from a section, the one-line summary of the lists, and a new condition
// made from one programme.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// A condition's section in a document: the settings, or a request's own
// document for a condition not saved yet.
struct ConditionPlace {
  const IniFile* document;
  std::wstring section;

  std::optional<std::wstring> Get(const wchar_t* key) const { return document->GetString(section.c_str(), key); }
  int GetInt(const wchar_t* key, int missing) const { return document->GetIntDefault(section.c_str(), key, missing); }
  bool Exists() const { return document->HasSection(section.c_str()); }
};

struct ConditionFormOptions {
  int enableWhenMissing = 0;
  int bands = 3;  // terrestrial, BS, CS; 4 adds the "other" band
  bool enableRow = true;  // a one-off search has no 有効 box
};

// Stores the posted fields in the order ENABLE, WORD, EXCLUSIVEWORD,
// SEARCH_TITLE, SEARCH_EXPLANATION, SEARCH_DETAIL, GENRE, WEEK, TIME, then
// CH_%c_MODE and CH_%c_LIST per band. Creates the section when missing.
void StoreConditionFields(IniFile& document, const std::wstring& section, const RequestParameters& params,
                          int bands);

// The names of the numbers in a TAB-joined list ("3\t7"), blank-joined. A
// number without a name is skipped.
std::wstring PostedGenres(std::string_view posted);

// The form rows from 有効 to the channel boxes of the last band.
void WriteConditionFields(ReplyWriter& out, const ConditionPlace& place, const ConditionFormOptions& options);

// WORD, "　 / ", GENRE; each cut to 40 UTF-16 units and "..." when longer.
std::wstring ConditionSummary(const ConditionPlace& place);

// The text cut to at most `units` UTF-16 units, never inside a character;
// "..." added when it was cut.
std::wstring CutWithEllipsis(const std::wstring& text, std::size_t units);

// Fills section "dummy" of the empty `local` document with a condition for
// `word` on the programme's channel only: the user's NORMALIZELIST, ENABLE 1,
// WORD with blanks as "&", the channel's band mode 2 with its key, the
// other of the first `bands` bands 0 (so with three bands a channel of the
// "other" band leaves all three at 0).
void PrefillCondition(IniFile& local, const IniFile& settings, std::wstring word, std::uint64_t serviceKey,
                      int bands);
inline constexpr const wchar_t* kPrefillSection = L"dummy";

}  // namespace plimod
