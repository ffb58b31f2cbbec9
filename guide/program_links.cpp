#include "guide/program_links.h"

#include <cinttypes>
#include <cstdio>

#include "util/page_text.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/web_address.h"

namespace plimod {

namespace {

constexpr std::uint16_t kCalendarOnlyNetwork = 0xFFFF;
constexpr std::uint32_t kReservedFlag = 4;
constexpr std::size_t kLinkTextMaxBytes = 64;
constexpr int kPatternCount = 10;

bool IsSet(const IniFile& settings, const wchar_t* section, const wchar_t* key) {
  return settings.GetIntDefault(section, key, 0) != 0;
}

void WriteTvRockLink(ReplyWriter& out, const EpgEvent& event, const std::string& url) {
  if (!IsWebAddress(url)) {
    SendPageText(out, "<span class=slink>r</span>");
    return;
  }
  SendPageText(out, "<span class=slink><A HREF='%skws?r=1&c=%d&e=%d' target=_blank>r</A></span>",
               PageText(url).c_str(), event.serviceId, event.eventId);
}

std::string PatternLinkText(const IniFile& settings, const wchar_t* section) {
  std::string text = WideToUtf8String(settings.GetString(section, L"LINKCHARA").value_or(L""));
  text.resize(Utf8CutPoint(text, kLinkTextMaxBytes));
  return PageText(text);
}

std::vector<PatternLink> LoadPatternLinks(const IniFile& settings) {
  std::vector<PatternLink> patterns;
  for (int n = 1; n <= kPatternCount; ++n) {
    wchar_t section[32];
    std::swprintf(section, 32, L"EDCBPATTERN_%02d", n);
    if (!settings.HasSection(section)) continue;
    if (settings.GetIntDefault(section, L"ENABLE", 0) == 0) continue;
    patterns.push_back({n, PatternLinkText(settings, section), IsSet(settings, section, L"USE_INVALID"),
                        IsSet(settings, section, L"USE_DIALOG")});
  }
  return patterns;
}

void WritePatternLinks(ReplyWriter& out, const EpgEvent& event, std::uint64_t key, const LinkSettings& links) {
  const bool reserved = (event.displayFlags & kReservedFlag) != 0;
  for (const PatternLink& pattern : links.patterns) {
    if (pattern.reservedOnly && !reserved) continue;
    const int n = pattern.number;
    const char* text = pattern.text.c_str();
    if (pattern.dialog) {
      SendPageText(out,
                   "<span class=slink><A HREF='?cmd=edc&sid=%" PRIx64
                   "&eid=%x&pt=%d%s' target=_blank>%s</A></span>",
                   key, event.eventId, n, "", text);
    } else if (links.directJavaScript) {
      SendPageText(out,
                   "<span class=slink><A HREF='javascript:etb_resv(\"?cmd=edc&sid=%" PRIx64
                   "&eid=%x&pt=%d&q=1\")'>%s</A></span>",
                   key, event.eventId, n, text);
    } else {
      SendPageText(out,
                   "<span class=slink><A HREF='?cmd=edc&sid=%" PRIx64
                   "&eid=%x&pt=%d%s' target=_blank>%s</A></span>",
                   key, event.eventId, n, "&q=1", text);
    }
  }
}

}  // namespace

LinkSettings LoadLinkSettings(const IniFile& settings, bool readDirect) {
  LinkSettings links;
  links.edcbEnabled = IsSet(settings, L"EPGDATACAP", L"ENABLE");
  if (links.edcbEnabled) {
    links.edcbSmallLink = IsSet(settings, L"EPGDATACAP", L"SMALLLINK");
    if (readDirect) links.directJavaScript = IsSet(settings, L"EPGDATACAP", L"DIRECTJAVASCRIPT");
  }
  links.tvrockEnabled = IsSet(settings, L"TVROCK", L"ENABLE");
  if (links.tvrockEnabled) {
    links.tvrockSmallLink = IsSet(settings, L"TVROCK", L"SMALLLINK");
    links.tvrockProgramUrl = WideToUtf8String(settings.GetString(L"TVROCK", L"PROGRAMURL").value_or(L""));
    if (links.tvrockProgramUrl.empty()) {
      links.tvrockEnabled = false;
      links.tvrockSmallLink = false;
    }
  }
  links.remoconEnabled = IsSet(settings, L"SYSTEM", L"REMOCON_ENABLE");
  links.patterns = LoadPatternLinks(settings);
  return links;
}

void WriteProgramSmallLinks(ReplyWriter& out, const EpgEvent& event, const LinkSettings& links) {
  if (event.originalNetworkId == kCalendarOnlyNetwork) return;
  const std::uint64_t key = ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId);
  if (links.edcbSmallLink) {
    if (links.directJavaScript) {
      SendPageText(out,
                   "<span class=slink><A HREF='javascript:etb_resv(\"?cmd=edc&sid=%" PRIx64
                   "&eid=%x&q=1\")'>e</A></span>",
                   key, event.eventId);
    } else {
      SendPageText(out,
                   "<span class=slink><A HREF='?cmd=edc&sid=%" PRIx64 "&eid=%x&q=1' target=_blank>e</A></span>",
                   key, event.eventId);
    }
  }
  if (links.tvrockSmallLink) WriteTvRockLink(out, event, links.tvrockProgramUrl);
  if (links.remoconEnabled) {
    if (links.directJavaScript) {
      SendPageText(out, "<span class=slink><A HREF='javascript:nr(\"?cmd=nrc&sid=%" PRIx64 "\")'>n</A></span>",
                   key);
    } else {
      SendPageText(out, "<span class=slink><A HREF='?cmd=nrc&sid=%" PRIx64 "' target=_blank>n</A></span>", key);
    }
  }
  WritePatternLinks(out, event, key, links);
}

}  // namespace plimod
