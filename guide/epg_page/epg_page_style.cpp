#include "guide/epg_page/epg_page_style.h"

#include <cctype>
#include <cstdio>

#include "guide/genre_colours.h"
#include "util/page_text.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"

namespace plimod {

namespace {

constexpr std::size_t kColourMaxBytes = 32;

constexpr unsigned kFillerColour = 0x606060;

constexpr const char* kStyleLines[] = {
    "<META HTTP-EQUIV='Content-type' CONTENT='text/html; charset=UTF-8'>",
    "<style>",
    "a.tooltip{text-decoration:none;}",
    ".toolTip{ position: relative; }",
    ".toolTip span{display: block; background-color: #ffffe0; color: #000000; text-decoration: none; "
    "position: absolute; top: 20px; left: 0px; padding: 4px; visibility: hidden; width: 200px;}",
    "a.toolTip:hover,a.toolTip:hover span{ visibility: visible; z-index: 100;}",
    "span.minute {font-size: medium;}",
    "span.title {font-size: medium; color: #5068d4;}",
    "span.station {font-size: small; color: #000000;}",
    "span.slink {font-size: small; color: #FF0000;}",
    "span.explan {font-size: small; color: #406080;}",
    "span.detail {font-size: small; color: #806040;}",
    "span.comment {font-size: small; color: #ff8040;}",
    "span.on {color: white; background-color: #FF8000; }",
    "span.off {color: black; background-color: gray; }",
    "td.norm {}",
    "td.resv {border-width: 0 0 0 3; border-color: red; border-style: solid; }",
    "td.gray {border-width: 3 3 3 3; border-color: gray; border-style: dashed; }",
    "td.badr {border-width: 4 4 4 4; border-color: red; border-style: dashed; }",
    "td.warn {border-width: 4 4 4 4; border-color: yellow; border-style: dashed; }",
    "span.ctrl {font-size: small; }",
    "span.small {font-size: small; vertical-align: top; }",
    "span.xxsmall {font-size: xx-small; }",
    "td.tm_mor{ background-color: #DFFFFF; }",
    "td.tm_eve{ background-color: #ffffDF; }",
    "td.tm_nig{ background-color: #DFDFff; }",
    "td.tm_mid{ background-color: #e0e0e0; }",
    "a img {vertical-align: text-bottom; border-style: none; }",
    "a.chname {color: silver; }",
    ".marker {color: black; background-color: yellow; }",
    "table.prog{}",
    "</style>",
    "<link rel='stylesheet' href='plx.css' media='screen' type='text/css'>",
};

std::string HexColour(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "#%06x", value);
  return text;
}

std::string CutColour(std::string colour) {
  colour.resize(Utf8CutPoint(colour, kColourMaxBytes - 1));
  return colour;
}

bool IsSet(const IniFile& settings, const wchar_t* section, const wchar_t* key) {
  return settings.GetIntDefault(section, key, 0) != 0;
}

}  // namespace

EpgPageSettings ReadEpgPageSettings(const IniFile& settings) {
  EpgPageSettings page;
  page.jsTooltips = settings.GetIntDefault(L"SYSTEM", L"USECSSTOOLTIP", 0) != 1;
  page.explanPopup = IsSet(settings, L"SYSTEM", L"USEEXPLANPOPUP");
  page.addConditionNo = settings.GetIntDefault(L"SYSTEM", L"ADDCONDITIONNO", 0) == 1;
  page.edcbEnabled = IsSet(settings, L"EPGDATACAP", L"ENABLE");
  page.addTunerName = IsSet(settings, L"EPGDATACAP", L"ADDTUNERNAME");
  page.links = LoadLinkSettings(settings, true);
  for (std::size_t slot = 0; slot < kNoGenreColourSlot + 1; ++slot) {
    const int entry = static_cast<int>(slot);
    const auto value = settings.GetString(L"GENRECOLOR", std::wstring(GenreColourKey(entry)).c_str());
    page.genreColours[slot] = value ? CutColour(WideToUtf8String(*value)) : DefaultGenreColour(entry);
  }
  page.genreColours[kFillerColourSlot] = HexColour(kFillerColour);
  return page;
}

std::size_t GenreColourSlot(const EpgEvent& event) {
  if (event.genres.empty()) return kNoGenreColourSlot;
  std::size_t slot = event.genres[0][0];
  if (slot > kNoGenreColourSlot && event.genres.size() > 1) slot = event.genres[1][0];
  return slot > kNoGenreColourSlot ? kNoGenreColourSlot : slot;
}

std::string ConditionColour(const IniFile& settings, int number) {
  wchar_t section[32];
  std::swprintf(section, 32, L"SEARCH_%02d", number);
  if (settings.GetIntDefault(section, L"DRAW_BGTYPE", 0) != 1) return {};
  return CutColour(WideToUtf8String(settings.GetString(section, L"DRAW_BGCOLOR").value_or(L"#ffffff")));
}

std::string ColourAttribute(std::string_view colour) {
  bool plain = !colour.empty() && colour.front() == '#';
  for (std::size_t i = 1; plain && i < colour.size(); ++i) {
    plain = std::isalnum(static_cast<unsigned char>(colour[i])) != 0;
  }
  if (plain) return std::string(colour);
  return "'" + PageText(colour) + "'";
}

void WriteEpgStyleLines(ReplyWriter& out) {
  for (const char* line : kStyleLines) SendPageText(out, "%s\n", line);
}

void WriteEpgPageHead(ReplyWriter& out, const PageView& view, const EpgPageSettings& page) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n");
  SendPageString(out, view.cookieLine);
  SendPageText(out, "\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>プリモビュー</TITLE>\n");
  WriteEpgStyleLines(out);
  if (page.jsTooltips || page.links.directJavaScript) {
    SendPageText(out, "<link rel='stylesheet' href='pjs.css' media='screen' type='text/css'>\n");
    SendPageText(out, "<script type='text/javascript' src='plimo.js' charset='utf-8'></script>\n");
  }
  SendPageText(out, "</HEAD><BODY>\n");
}

}  // namespace plimod
