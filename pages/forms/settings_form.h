#pragma once
// What the settings pages share: when a request is a save, the show-or-save
// step, the heads of their pages and forms, and posted text in the form it may be stored in.

#include <cstddef>
#include <string>

#include "server/reply_writer.h"
#include "server/request_parameters.h"
#include "settings/ini_file.h"

namespace plimod {

// Longest text a settings field stores, in characters.
inline constexpr std::size_t kSettingTextChars = 1023;

// A save: `spc` is non-empty and `token` is the request token, whatever the
// method. Anything else only shows the form.
bool IsSettingsSave(const RequestParameters& params);

// Shows the form and gives 1 unless the request is a save; a save stores
// the form, saves the document and gives 0 (the dispatcher redirects).
using SettingsFormWriter = void (*)(ReplyWriter& out, RequestParameters& params, IniFile& settings);
using SettingsFormStore = void (*)(RequestParameters& params, IniFile& settings);
int ServeSettingsForm(ReplyWriter& out, RequestParameters& params, IniFile& settings, SettingsFormWriter show,
                      SettingsFormStore store);

// "<form method=post action='/'>" with the hidden `spc` (one ideographic
// space), `token` and `cmd` fields.
void WriteSettingsFormHead(ReplyWriter& out);

// From "Content-Type" to "<BODY>" with the title; `squareStyle` adds the
// rule of the bordered colour samples.
void WriteSettingsPageHead(ReplyWriter& out, const char* title, bool squareStyle);

// The plain submit button, then the end of the form and of the page.
void WriteSettingsFormFoot(ReplyWriter& out);

// "Location: /?<target><carry-over query>" and the empty line.
void RedirectWithCarryOver(ReplyWriter& out, const std::string& target, const RequestParameters& params);

// The posted UTF-8 value decoded to at most `maxChars` characters, with every
// character below U+0020 (TAB included) blanked, so no value can add a line
// to the settings file or make it unreadable.
std::wstring PostedText(const RequestParameters& params, const std::string& name,
                        std::size_t maxChars = kSettingTextChars);

// The posted value of a check box: 1 only for exactly "1".
int PostedCheck(const RequestParameters& params, const std::string& name);

}  // namespace plimod
