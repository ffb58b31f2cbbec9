#include "pages/settings/genre_colour_page.h"

#include <string>

#include "guide/genre_colours.h"
#include "pages/forms/colour_picker.h"
#include "pages/forms/settings_form.h"
#include "platform/text_codec.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/settings_save_reply.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr const wchar_t* kSection = L"GENRECOLOR";
constexpr std::size_t kFieldColourChars = 255;

bool IsEntry(int index) { return index >= 0 && index < kGenreColourCount; }

std::wstring KeyOf(int index) { return std::wstring(GenreColourKey(index)); }

std::wstring StoredColour(const IniFile& settings, int index) {
  if (auto stored = settings.GetString(kSection, KeyOf(index).c_str())) return *stored;
  return Utf8ToWide(DefaultGenreColour(index));
}

void StoreColour(IniFile& settings, int index, std::wstring_view colour) {
  settings.SetString(kSection, KeyOf(index).c_str(), colour);
}

// The picker for one entry, showing the colour as the picker would keep it.
void ServePickerFor(ReplyWriter& out, const RequestParameters& params, const IniFile& settings, int index) {
  std::wstring colour = StoredColour(settings, index);
  if (colour.size() > kPickerColourChars) colour.resize(kPickerColourChars);
  ServeColorPickerPage(out, params, colour, index);
}

void WriteColourRow(ReplyWriter& out, int index, const std::wstring& colour) {
  const std::string text = PageText(colour);
  SendPageText(out, "<tr><td>%s</td><td><input name=genrecolor_%d value='%s' size=16></td>",
               WideToUtf8String(GenreColourKey(index)).c_str(), index, text.c_str());
  SendPageText(out, "<td><span class=square style='background-color: %s;'>　いろは　</span></td>", text.c_str());
  SendPageText(out, "<td><input type=submit name=color_%d value='参照'></td></tr>\n", index);
}

void WriteGenreColourPage(ReplyWriter& out, const RequestParameters& params, const IniFile& settings) {
  WriteSettingsPageHead(out, "ジャンル色設定", true);
  SendPageText(out, "<A HREF='?cmd=config&%s'>戻る</A><HR>\n", MakeCarryOverQuery(params).c_str());
  SendPageText(out, "ジャンル色設定<BR><BR>\n");
  WriteSettingsFormHead(out);
  for (const char* name : {"sid", "eid"}) WriteHiddenField(out, name);
  WriteCarryOverHiddenFields(params, out);
  SendPageText(out, "<table border=0><tbody>\n");
  for (int i = 0; i < kGenreColourCount; ++i) WriteColourRow(out, i, StoredColour(settings, i));
  SendPageText(out, "</tbody></table>\n");
  SendPageText(out, "<BR><input type=submit name=submit value='保存と更新'>\n");
  SendPageText(out, "　<input type=submit name=return value='保存して戻る'><BR>");
  SendPageText(out, "</form>\n");
  SendPageText(out, "</BODY></HTML>\n");
}

// The entry a post is about: the picker's `sh_idx`, else the first browse
// button pressed, else -1.
int PostedEntry(const RequestParameters& params) {
  const std::string index = params.Value("sh_idx");
  if (!index.empty()) return StringToInt(index);
  for (int i = 0; i < kGenreColourCount; ++i) {
    if (!params.Value("color_" + std::to_string(i)).empty()) return i;
  }
  return -1;
}

void StoreTypedColours(IniFile& settings, const RequestParameters& params) {
  for (int i = 0; i < kGenreColourCount; ++i) {
    const std::string field = "genrecolor_" + std::to_string(i);
    // An emptied field keeps its colour.
    if (!params.Value(field).empty()) StoreColour(settings, i, PostedText(params, field, kFieldColourChars));
  }
}

}  // namespace

int ServeGenreColorPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  if (!IsSettingsSave(params)) {
    WriteGenreColourPage(out, params, settings);
    return 1;
  }
  const int entry = PostedEntry(params);
  params["sh_idx"] = IntToString(entry);
  const bool fromPicker = !params.Value("colorupdate").empty() || !params.Value("color_value").empty();
  // A hand-made index, or a picker post naming no entry, has nothing to store under.
  if ((entry != -1 || fromPicker) && !IsEntry(entry)) {
    WriteGenreColourPage(out, params, settings);
    return 1;
  }
  if (!params.Value("colorupdate").empty()) {
    // Without a colour chosen the stored one stays.
    if (auto colour = ReadColorPickerForm(params)) StoreColour(settings, entry, *colour);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    ServePickerFor(out, params, settings, entry);
    return 0;
  }
  if (auto colour = ReadColorPickerForm(params)) {
    StoreColour(settings, entry, *colour);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
    RedirectWithCarryOver(out, "cmd=genre&", params);
    return 0;
  }
  StoreTypedColours(settings, params);
  if (!SaveSettingsOrAnswer(out, settings)) return 1;
  if (!params.Value("return").empty()) {
    RedirectWithCarryOver(out, "cmd=config&", params);
  } else if (params.Value("submit").empty() && entry >= 0) {
    ServePickerFor(out, params, settings, entry);
  } else {
    WriteGenreColourPage(out, params, settings);
  }
  return 0;
}

}  // namespace plimod
