#include "recorder/options/rec_options.h"

#include <string>

#include "recorder/base/recorder_mode.h"
#include "server/page_helpers.h"
#include "util/conversions.h"

namespace plimod {

namespace {

struct IntOption {
  const wchar_t* key;
  const char* field;
  int defaultValue;
};

// In the order they are stored; the first four exist in both modes.
constexpr IntOption kCommonInts[] = {
    {L"PRIORITY", "edc_priority", 3},
    {L"FORROW", "edc_forrow", 1},
    {L"RECMODE", "edc_recmode", 0},
    {L"EXT1", "edc_ext1", 0},
};
constexpr IntOption kServerInts[] = {
    {L"POSTACTION", "edc_postaction", 4},
    {L"RESUMERESTART", "edc_resumerestart", 0},
    {L"MARGIN_ENABLE", "edc_margin_enable", 0},
    {L"MARGIN_START", "edc_margin_s", 0},
    {L"MARGIN_END", "edc_margin_e", 0},
};
constexpr IntOption kService = {L"SERVICE", "edc_service_flag", 0};

struct PathOption {
  const wchar_t* key;
  const char* field;
  const wchar_t* list;
  int firstIndex;  // what the form's number for the list's first entry is
};
constexpr PathOption kBatch = {L"EXT2", "edc_ext2", kBatchListSection, 1};
constexpr PathOption kRecFolder = {L"RECDIR", "edc_recdir", kRecFolderListSection, 0};

// Longest path the form carries, in characters.
constexpr std::size_t kFormPathChars = 4096;

void LoadInt(RequestParameters& form, const IniSection& section, const IntOption& option) {
  int value = option.defaultValue;
  section.GetInt(kDefaultRecOptionSection, option.key, value);
  section.GetInt(nullptr, option.key, value);
  form[option.field] = IntToString(value);
}

void LoadPath(RequestParameters& form, const IniSection& section, const PathOption& option) {
  std::wstring path = section.GetString(nullptr, option.key)
                          .value_or(section.GetString(kDefaultRecOptionSection, option.key).value_or(L""));
  if (path.size() > kFormPathChars) path.resize(kFormPathChars);
  form[option.field] = WideToUtf8(path);
}

void StoreInt(const RequestParameters& form, IniSection& section, const IntOption& option) {
  section.SetInt(nullptr, option.key, StringToInt(form.Value(option.field)));
}

// "def" keeps the section's path, or copies the default section's when it
// has none; "none" empties it; a number picks a list entry.
void StorePath(const RequestParameters& form, IniSection& section, const PathOption& option, int maxNumber) {
  const std::string choice = form.Value(option.field);
  if (choice == "def") {
    if (section.GetString(nullptr, option.key)) return;
    section.SetString(nullptr, option.key,
                      section.GetString(kDefaultRecOptionSection, option.key).value_or(L""));
    return;
  }
  if (choice == "none") {
    section.SetString(nullptr, option.key, L"");
    return;
  }
  const int number = StringToInt(choice);
  if (number < option.firstIndex || number > maxNumber) return;
  if (auto entry = section.GetIndexed(option.list, number - option.firstIndex)) {
    section.SetString(nullptr, option.key, *entry);
  }
}

void StoreServiceFlag(RequestParameters& form, IniSection& section) {
  std::string& flag = form[kService.field];
  if (flag.empty()) {
    flag = IntToString(StringToInt(form.Value("edc_service_enable")) +
                       2 * StringToInt(form.Value("edc_service_caption")) +
                       4 * StringToInt(form.Value("edc_service_carousel")));
  }
  StoreInt(form, section, kService);
}

}  // namespace

void LoadRecOptions(RequestParameters& form, const IniSection& section, bool srvMode) {
  for (const IntOption& option : kCommonInts) LoadInt(form, section, option);
  LoadPath(form, section, kBatch);
  if (!srvMode) return;
  LoadPath(form, section, kRecFolder);
  for (const IntOption& option : kServerInts) LoadInt(form, section, option);
  LoadInt(form, section, kService);
}

void LoadRecOptions(RequestParameters& form, const IniSection& section) {
  LoadRecOptions(form, section, EpgTimerSrvMode());
}

void StoreRecOptions(RequestParameters& form, IniSection& section, bool srvMode) {
  for (const IntOption& option : kCommonInts) StoreInt(form, section, option);
  StorePath(form, section, kBatch, 99);
  if (!srvMode) return;
  StorePath(form, section, kRecFolder, INT32_MAX);
  for (const IntOption& option : kServerInts) StoreInt(form, section, option);
  StoreServiceFlag(form, section);
}

void StoreRecOptions(RequestParameters& form, IniSection& section) {
  StoreRecOptions(form, section, EpgTimerSrvMode());
}

}  // namespace plimod
