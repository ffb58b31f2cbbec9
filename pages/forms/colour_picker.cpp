#include "pages/forms/colour_picker.h"

#include <algorithm>
#include <cstdio>

#include "pages/forms/settings_form.h"
#include "platform/text_codec.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr int kLevels[] = {128, 160, 192, 224, 255};

struct PaletteColour {
  int product;
  std::string text;
};

void WritePaletteRadios(ReplyWriter& out, const std::string& current, bool& matched) {
  for (const std::string& colour : ColourPalette()) {
    const bool same = colour == current;
    matched = matched || same;
    SendPageText(out,
                 "<nobr><input type=radio name=color_value value='%s'%s><span class=square "
                 "style='background-color: %s;'>　　</span></nobr>\n",
                 colour.c_str(), CheckedAttr(same), colour.c_str());
  }
}

}  // namespace

std::vector<std::string> ColourPalette() {
  std::vector<PaletteColour> colours;
  for (int r : kLevels) {
    for (int g : kLevels) {
      for (int b : kLevels) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06x", (r << 16) | (g << 8) | b);
        colours.push_back({r * g * b, text});
      }
    }
  }
  std::stable_sort(colours.begin(), colours.end(),
                   [](const PaletteColour& a, const PaletteColour& b) { return a.product < b.product; });
  std::vector<std::string> palette;
  palette.reserve(colours.size());
  for (PaletteColour& colour : colours) palette.push_back(std::move(colour.text));
  return palette;
}

void ServeColorPickerPage(ReplyWriter& out, const RequestParameters& params, std::wstring_view colour, int) {
  const std::string current = WideToUtf8String(colour);
  const std::string shown = PageText(current);
  WriteSettingsPageHead(out, "色の参照", true);
  SendPageText(out, "<A HREF='?cmd=%s&sh_idx=%s&%s'>戻る</A><HR>\n", PercentEncodeValue(params.Value("cmd")).c_str(),
               PercentEncodeValue(params.Value("sh_idx")).c_str(), MakeCarryOverQuery(params).c_str());
  WriteSettingsFormHead(out);
  WriteHiddenField(out, "sh_idx");
  WriteCarryOverHiddenFields(params, out);
  bool matched = false;
  WritePaletteRadios(out, current, matched);
  SendPageText(out,
               "<br><input type=radio name=color_value value='direct'%s>直接指定:<input name=color_text size=8 "
               "value='%s'><span class=square style='background-color: %s;'>　　</span><br>\n",
               CheckedAttr(!matched), shown.c_str(), shown.c_str());
  SendPageText(out, "<BR><input type=submit name=colorupdate value='保存と更新'>\n");
  SendPageText(out, "　<input type=submit name=submit value='保存して戻る'><BR>");
  SendPageText(out, "</form>\n");
  SendPageText(out, "</BODY></HTML>\n");
}

std::optional<std::wstring> ReadColorPickerForm(const RequestParameters& params) {
  const std::string value = params.Value("color_value");
  if (value.empty()) return std::nullopt;
  return PostedText(params, value == "direct" ? "color_text" : "color_value", kPickerColourChars);
}

}  // namespace plimod
