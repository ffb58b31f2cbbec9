#include "pages/settings/ignore_channel_page.h"

#include <string>

#include "epg/epg_index.h"
#include "pages/forms/settings_form.h"
#include "pages/settings/channel_checks.h"
#include "server/carry_over.h"
#include "server/page_reply.h"
#include "util/keys.h"

namespace plimod {

namespace {

// The ticked channels in band order, each band in service-key order; a
// channel gone from the service map drops out.
std::wstring TickedChannels(const RequestParameters& params) {
  std::wstring list;
  for (std::uint32_t mask : kBandMasks) {
    for (const auto& [key, name] : ServiceMap) {
      if (!(BandMaskOf(key) & mask)) continue;
      std::string keyText;
      std::wstring wideKey;
      FormatChannelKey(key, &keyText, &wideKey);
      if (params.Value("ch_" + keyText) != "1") continue;
      if (!list.empty()) list += L' ';
      list += wideKey;
    }
  }
  return list;
}

void StoreIgnored(RequestParameters& params, IniFile& settings) {
  settings.SetString(L"VIEW", L"IGNORE_CHANNEL", TickedChannels(params));
}

void ShowForm(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  const std::string carry = MakeCarryOverQuery(params);
  WriteSettingsPageHead(out, "無視チャンネル設定", false);
  SendPageText(out, "<A HREF='?cmd=config&%s'>戻る</A>　", carry.c_str());
  SendPageText(out, "<HR>無視チャンネル<BR>\n");
  WriteSettingsFormHead(out);
  WriteCarryOverHiddenFields(params, out);
  PrintBandChannelChecks(out, "ch", settings.GetString(L"VIEW", L"IGNORE_CHANNEL").value_or(L""));
  WriteSettingsFormFoot(out);
}

}  // namespace

int ServeIgnoreChannelPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  return ServeSettingsForm(out, params, settings, ShowForm, StoreIgnored);
}

}  // namespace plimod
