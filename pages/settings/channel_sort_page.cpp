#include "pages/settings/channel_sort_page.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "pages/settings/channel_checks.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/settings_save_reply.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr const wchar_t* kOrderKeys[] = {L"CHANNEL_LIST_TR", L"CHANNEL_LIST_BS", L"CHANNEL_LIST_CS"};

struct SortBand {
  int index = 2;           // 0 terrestrial, 1 BS, 2 CS
  bool movable = false;    // the request named exactly one of the three bands
  std::uint32_t Mask() const { return BandMaskOfIndex(index); }
};

// One band only, so the list collected and the key it is stored under
// always agree.
SortBand ReadBand(const std::string& text) {
  const std::uint32_t mask = ParseHex32(text);
  for (int index = 0; index < 3; ++index) {
    if (mask == BandMaskOfIndex(index)) return {index, true};
  }
  return {};
}

// Moves the channel at `from` before position `to` of the list without it.
// False (and nothing moved) when either lies outside the band.
bool MoveChannel(std::vector<std::uint64_t>& order, int from, int& to) {
  const int count = static_cast<int>(order.size());
  if (from < 0 || from >= count || to < 0 || to > count) return false;
  const std::uint64_t moved = order[static_cast<std::size_t>(from)];
  order.erase(order.begin() + from);
  if (from < to) --to;
  order.insert(order.begin() + to, moved);
  return true;
}

void StoreOrder(IniFile& settings, int bandIndex, const std::vector<std::uint64_t>& order) {
  std::wstring list;
  for (std::uint64_t key : order) {
    if (!list.empty()) list += L' ';
    list += ChannelKeyText(key);
  }
  settings.SetString(L"VIEW", kOrderKeys[bandIndex], list);
}

void WriteInsertRow(ReplyWriter& out, const char* band, int selected, int destination, const std::string& carry,
                    const char* tail) {
  SendPageText(out, "<tr><td rowspan=2><A HREF='?cmd=chsort&st_band=%s&st_sel=%d&st_dst=%d&%s'>ここに挿入→</A></td>%s</tr>\n",
               band, selected, destination, carry.c_str(), tail);
}

void ShowPage(ReplyWriter& out, const RequestParameters& params, const SortBand& band,
              const std::vector<std::uint64_t>& order, int selected) {
  char bandText[8];
  std::snprintf(bandText, sizeof bandText, "%03x", band.Mask());
  const std::string carry = MakeCarryOverQuery(params);
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>チャンネル並び替え</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  SendPageText(out, "%sチャンネル並び替え<BR><BR>\n", kBandTitles[band.index]);
  SendPageText(out, "<table border=0 cellpadding=4 cellspacing=4><tbody>\n");
  WriteInsertRow(out, bandText, selected, 0, carry, "<td></td>");
  for (int i = 0; i < static_cast<int>(order.size()); ++i) {
    const auto service = ServiceMap.find(order[static_cast<std::size_t>(i)]);
    const std::string name = PageText(service != ServiceMap.end() ? service->second : std::wstring());
    SendPageText(out, "<tr><td rowspan=2>");
    if (i == selected) {
      SendPageText(out, "%s(選択中)<BR>\n", name.c_str());
    } else {
      SendPageText(out, "<A HREF='?cmd=chsort&st_band=%s&st_sel=%d&%s'>%s</A><BR>\n", bandText, i, carry.c_str(),
                   name.c_str());
    }
    SendPageText(out, "</td></tr>\n");
    WriteInsertRow(out, bandText, selected, i + 1, carry, "");
  }
  SendPageText(out, "</tbody></table>\n");
  SendPageText(out, "<BR><HR><A HREF='?cmd=config&%s'>戻る</A>　", carry.c_str());
  SendPageText(out, "</BODY></HTML>\n");
}

}  // namespace

int ServeChannelSortPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  const SortBand band = ReadBand(params.Value("st_band"));
  int selected = StringToInt(params.Value("st_sel"));
  std::vector<std::uint64_t> order = ChannelsInDisplayOrder(band.Mask());
  const std::string destination = params.Value("st_dst");
  if (band.movable && !destination.empty()) {
    int to = StringToInt(destination);
    if (MoveChannel(order, selected, to)) {
      selected = to;
      StoreOrder(settings, band.index, order);
      if (!SaveSettingsOrAnswer(out, settings)) return 1;
    }
  }
  ShowPage(out, params, band, order, selected);
  return 1;
}

}  // namespace plimod
