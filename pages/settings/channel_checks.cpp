#include "pages/settings/channel_checks.h"

#include <string>

#include "epg/epg_index.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

long PrintBandChannelChecks(ReplyWriter& out, const char* prefix, std::wstring_view ticked) {
  long result = 0;
  for (int band = 0; band < 4; ++band) {
    result = SendPageText(out, "%s<BR>\n", kBandTitles[band]);
    for (const auto& [key, name] : ServiceMap) {
      if (BandIndexOf(key) != band) continue;
      std::string keyText;
      std::wstring wideKey;
      FormatChannelKey(key, &keyText, &wideKey);
      const bool on = ticked.find(wideKey) != std::wstring_view::npos;
      result = SendPageText(out, "<NOBR><input type=checkbox name='%s_%s' value=1%s>%s</NOBR>　\n", prefix,
                            keyText.c_str(), CheckedAttr(on), PageText(name).c_str());
    }
    result = SendPageText(out, "<BR>\n");
  }
  return result;
}

}  // namespace plimod
