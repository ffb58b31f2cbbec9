#include "pages/settings/iepg_channel_name_page.h"

#include <string>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "pages/forms/settings_form.h"
#include "pages/settings/channel_checks.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr const wchar_t* kNameSection = L"IEPG_CH_NAME";

void StoreNames(RequestParameters& params, IniFile& settings) {
  for (std::uint32_t mask : kBandMasks) {
    for (std::uint64_t key : ChannelsInDisplayOrder(mask)) {
      std::string keyText;
      std::wstring wideKey;
      FormatChannelKey(key, &keyText, &wideKey);
      const std::wstring name = PostedText(params, keyText);
      if (name.empty()) {
        settings.DeleteKey(kNameSection, wideKey.c_str());
      } else {
        settings.SetString(kNameSection, wideKey.c_str(), name);
      }
    }
  }
}

void WriteNameFields(ReplyWriter& out, const IniFile& settings) {
  for (std::uint32_t mask : kBandMasks) {
    SendPageText(out, "<BR>\n");
    for (std::uint64_t key : ChannelsInDisplayOrder(mask)) {
      std::string keyText;
      std::wstring wideKey;
      FormatChannelKey(key, &keyText, &wideKey);
      const auto service = ServiceMap.find(key);
      const std::wstring serviceName = service != ServiceMap.end() ? service->second : std::wstring();
      const std::wstring stored = settings.GetString(kNameSection, wideKey.c_str()).value_or(L"");
      SendPageText(out, "%s ", PageText(serviceName).c_str());
      SendPageText(out, "<input name=%s value='%s' size=20><BR>\n", keyText.c_str(), PageText(stored).c_str());
    }
  }
}

void ShowForm(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  WriteSettingsPageHead(out, "iEPGチャンネル名設定", false);
  SendPageText(out, "iEPGチャンネル名設定<BR>\n");
  WriteSettingsFormHead(out);
  WriteHiddenField(out, "sidmd");
  WriteHiddenField(out, "eid");
  WriteCarryOverHiddenFields(params, out);
  WriteNameFields(out, settings);
  WriteSettingsFormFoot(out);
}

}  // namespace

int ServeIepgChannelNamePage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  return ServeSettingsForm(out, params, settings, ShowForm, StoreNames);
}

}  // namespace plimod
