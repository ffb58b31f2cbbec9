// The save of the environment settings page, in the order that decides
// where keys new to the file land.
#include <array>
#include <span>
#include <string>

#include "pages/forms/settings_form.h"
#include "pages/settings/config_page.h"
#include "pages/settings/config_values.h"
#include "recorder/options/rec_options.h"
#include "server/page_helpers.h"
#include "server/request_parameters.h"
#include "services/password_cipher.h"

namespace plimod {

namespace {

enum class Kind {
  kText,      // stored as posted, empty included
  kCheck,     // 1 only for exactly "1"
  kAnyInt,    // any number
  kNotBelow0, // kept unless 0 or more
  kCount,     // kept unless 1..999
  kSlot,      // a negative number stores 0
};

struct Field {
  const char* name;
  const wchar_t* section;
  const wchar_t* key;
  Kind kind;
};

constexpr Field kBeforeRecOptions[] = {
    {"cfg_datafolder", kSystem, L"EPGDATAFOLDER", Kind::kText},
    {"cfg_checktime", kSystem, L"EPGDATACHECKTIME", Kind::kNotBelow0},
    {"cfg_checkchanges", kSystem, L"EPGDATACHECKCHANGES", Kind::kCheck},
    {"cfg_condcount", kSystem, L"CONDITIONCOUNT", Kind::kCount},
    {"cfg_log", kSystem, L"LOG", Kind::kCheck},
    {"cfg_addcondno", kSystem, L"ADDCONDITIONNO", Kind::kCheck},
    {"cfg_csstooltip", kSystem, L"USECSSTOOLTIP", Kind::kCheck},
    {"cfg_halfchar", kSystem, L"USEHALFCHAR", Kind::kCheck},
    {"cfg_explanpopup", kSystem, L"USEEXPLANPOPUP", Kind::kCheck},
    {"cfg_edc_enable", kEpgDataCap, L"ENABLE", Kind::kCheck},
    {"cfg_edc_progtxt", kEpgDataCap, L"PROGRAMTXT", Kind::kText},
    {"cfg_edc_timerexe", kEpgDataCap, L"EPGTIMEREXE", Kind::kText},
};
// TUNERCOUNT comes between these two groups.
constexpr Field kTitleFields[] = {
    {"cfg_add_explan", kEpgDataCap, L"TITLETYPE", Kind::kAnyInt},
    {"cfg_ttlcmd", kEpgDataCap, L"TITLECOMMAND", Kind::kText},
    {"cfg_edc_smalllink", kEpgDataCap, L"SMALLLINK", Kind::kCheck},
    {"cfg_direct_javascript", kEpgDataCap, L"DIRECTJAVASCRIPT", Kind::kCheck},
};
constexpr Field kAfterRecOptions[] = {
    {"cfg_autoreservecount", kEpgDataCap, L"AUTORESERVECOUNT", Kind::kCount},
    {"cfg_autoreservedays", kEpgDataCap, L"AUTORESERVEDAYS", Kind::kCount},
    {"cfg_autoreserveupdate", kEpgDataCap, L"AUTORESERVEUPDATE", Kind::kCheck},
    {"cfg_addtunername", kEpgDataCap, L"ADDTUNERNAME", Kind::kCheck},
    {"cfg_tvr_enable", kTvRock, L"ENABLE", Kind::kCheck},
    {"cfg_tvr_url", kTvRock, L"PROGRAMURL", Kind::kText},
    {"cfg_tvr_smalllink", kTvRock, L"SMALLLINK", Kind::kCheck},
    {"cfg_syobocal_enable", kSystem, L"SYOBOCAL_ENABLE", Kind::kCheck},
    {"cfg_syobocal_user", kSystem, L"SYOBOCAL_USERNAME", Kind::kText},
    {"cfg_syobocal_load", kSystem, L"SYOBOCAL_LOADTIME", Kind::kText},
    {"cfg_syoboiupload_enable", kSyoboiUpload, L"ENABLE", Kind::kCheck},
    {"cfg_syoboiupload_user", kSyoboiUpload, L"USERID", Kind::kText},
};
// The password comes between these two groups.
constexpr Field kAfterPassword[] = {
    {"cfg_syoboiupload_slot", kSyoboiUpload, L"SLOT", Kind::kSlot},
    {"cfg_syoboiupload_url", kSyoboiUpload, L"EPGURL", Kind::kText},
    {"cfg_syoboiupload_col", kSyoboiUpload, L"DEVCOLORS", Kind::kText},
    {"cfg_remocon_enable", kSystem, L"REMOCON_ENABLE", Kind::kCheck},
    {"cfg_remocon_address", kSystem, L"REMOCON_ADDRESS", Kind::kText},
};

void StoreField(const RequestParameters& params, IniFile& settings, const Field& field) {
  const int number = StringToInt(params.Value(field.name));
  switch (field.kind) {
    case Kind::kText: settings.SetString(field.section, field.key, PostedText(params, field.name)); return;
    case Kind::kCheck: settings.SetInt(field.section, field.key, PostedCheck(params, field.name)); return;
    case Kind::kAnyInt: settings.SetInt(field.section, field.key, number); return;
    case Kind::kNotBelow0:
      if (number >= 0) settings.SetInt(field.section, field.key, number);
      return;
    case Kind::kCount:
      if (number >= 1 && number <= kMaxConfigCount) settings.SetInt(field.section, field.key, number);
      return;
    case Kind::kSlot: settings.SetInt(field.section, field.key, number < 0 ? 0 : number); return;
  }
}

void StoreFields(const RequestParameters& params, IniFile& settings, std::span<const Field> fields) {
  for (const Field& field : fields) StoreField(params, settings, field);
}

void StoreTunerCounts(const RequestParameters& params, IniFile& settings) {
  const std::array<int, 3> counts = {StringToInt(params.Value("cfg_edc_tuner_chi")),
                                     StringToInt(params.Value("cfg_edc_tuner_bscs")),
                                     StringToInt(params.Value("cfg_edc_tuner_all"))};
  settings.SetIntList(kEpgDataCap, L"TUNERCOUNT", counts);
}

// The bytes as posted, cut to the cipher's limit without splitting a UTF-8
// character.
std::string CutPassword(std::string text) {
  if (text.size() <= kMaxPasswordBytes) return text;
  std::size_t cut = kMaxPasswordBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
  return text;
}

// Empty removes the password, the placeholder keeps it, anything else is
// enciphered. The request parser turned a typed "<" or ">" into an entity;
// the password is the text the user typed.
void StorePassword(const RequestParameters& params, IniFile& settings) {
  std::string posted = params.Value("cfg_syoboiupload_pw");
  if (posted == kPasswordPlaceholder) return;
  if (posted.empty()) {
    settings.SetString(kSyoboiUpload, L"PASSWD", L"");
    return;
  }
  ReplaceAll(posted, "&lt;", "<");
  ReplaceAll(posted, "&gt;", ">");
  std::string stored = CutPassword(posted);
  CipherPassword(stored, false);
  settings.SetString(kSyoboiUpload, L"PASSWD", std::wstring(stored.begin(), stored.end()));
}

}  // namespace

void StoreConfigForm(RequestParameters& params, IniFile& settings) {
  StoreFields(params, settings, kBeforeRecOptions);
  StoreTunerCounts(params, settings);
  StoreFields(params, settings, kTitleFields);
  IniSection defaults(settings);
  defaults.Select(kDefaultRecOptionSection, true);
  StoreRecOptions(params, defaults);
  StoreFields(params, settings, kAfterRecOptions);
  StorePassword(params, settings);
  StoreFields(params, settings, kAfterPassword);
}

}  // namespace plimod
