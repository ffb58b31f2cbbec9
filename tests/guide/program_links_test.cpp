#include <gtest/gtest.h>

#include <string>

#include "guide/program_links.h"
#include "guide_fixture.h"

namespace plimod::test {
namespace {

class ProgramLinksTest : public GuideFixture {
 protected:
  std::string Links(const EpgEvent& event, bool readDirect = true) {
    std::string page;
    ReplyWriter out(&page);
    WriteProgramSmallLinks(out, event, LoadLinkSettings(Settings(), readDirect));
    return page;
  }
  EpgEvent event_ = MakeEvent(TrKey(0x400), 0x1a2b, At(2025, 3, 1, 20, 0), 30);
};

TEST_F(ProgramLinksTest, RecorderTvRockAndRemoteLinks) {
  EXPECT_EQ(Links(event_), "");
  SetInt(L"EPGDATACAP", L"SMALLLINK", 1);
  EXPECT_EQ(Links(event_), "");  // only while the recorder link is enabled
  SetInt(L"EPGDATACAP", L"ENABLE", 1);
  SetInt(L"TVROCK", L"ENABLE", 1);
  SetInt(L"TVROCK", L"SMALLLINK", 1);
  Set(L"TVROCK", L"PROGRAMURL", L"http://tv:8969/nobody/");
  SetInt(L"SYSTEM", L"REMOCON_ENABLE", 1);
  EXPECT_EQ(Links(event_),
            "<span class=slink><A HREF='?cmd=edc&sid=7fe07fe00400&eid=1a2b&q=1' target=_blank>e</A></span>"
            "<span class=slink><A HREF='http://tv:8969/nobody/kws?r=1&c=1024&e=6699' target=_blank>r</A></span>"
            "<span class=slink><A HREF='?cmd=nrc&sid=7fe07fe00400' target=_blank>n</A></span>");
  SetInt(L"EPGDATACAP", L"DIRECTJAVASCRIPT", 1);
  EXPECT_EQ(Links(event_, false).find("javascript:"), std::string::npos);
  const std::string direct = Links(event_);
  EXPECT_NE(direct.find("<A HREF='javascript:etb_resv(\"?cmd=edc&sid=7fe07fe00400&eid=1a2b&q=1\")'>e</A>"),
            std::string::npos);
  EXPECT_NE(direct.find("<A HREF='javascript:nr(\"?cmd=nrc&sid=7fe07fe00400\")'>n</A>"), std::string::npos);

  EpgEvent calendarOnly = event_;
  calendarOnly.originalNetworkId = 0xFFFF;
  EXPECT_EQ(Links(calendarOnly), "");
}

TEST_F(ProgramLinksTest, TvRockAddressIsEscapedAndOnlyWebAddressesLink) {
  SetInt(L"TVROCK", L"ENABLE", 1);
  SetInt(L"TVROCK", L"SMALLLINK", 1);
  EXPECT_EQ(Links(event_), "");  // no address: both switches off
  Set(L"TVROCK", L"PROGRAMURL", L"HTTP://tv/'><b>x/");
  EXPECT_EQ(Links(event_),
            "<span class=slink><A HREF='HTTP://tv/&#39;&gt;&lt;b&gt;x/kws?r=1&c=1024&e=6699' "
            "target=_blank>r</A></span>");
  Set(L"TVROCK", L"PROGRAMURL", L"javascript:alert(1)//");
  EXPECT_EQ(Links(event_), "<span class=slink>r</span>");
}

TEST_F(ProgramLinksTest, PatternLinks) {
  Set(L"EDCBPATTERN_01", L"LINKCHARA", L"録");
  SetInt(L"EDCBPATTERN_01", L"ENABLE", 1);
  SetInt(L"EDCBPATTERN_02", L"ENABLE", 1);
  SetInt(L"EDCBPATTERN_02", L"USE_INVALID", 1);
  Set(L"EDCBPATTERN_02", L"LINKCHARA", L"無");
  SetInt(L"EDCBPATTERN_03", L"ENABLE", 1);
  SetInt(L"EDCBPATTERN_03", L"USE_DIALOG", 1);
  Set(L"EDCBPATTERN_03", L"LINKCHARA", L"<i>" + std::wstring(40, L'あ'));
  SetInt(L"EDCBPATTERN_04", L"ENABLE", 0);
  Set(L"EDCBPATTERN_04", L"LINKCHARA", L"off");

  const std::string cut = "&lt;i&gt;" + std::string("あ") + [] {
    std::string s;
    for (int i = 0; i < 19; ++i) s += "あ";  // 3 + 20 x 3 bytes would pass 64
    return s;
  }();
  EXPECT_EQ(Links(event_),
            "<span class=slink><A HREF='?cmd=edc&sid=7fe07fe00400&eid=1a2b&pt=1&q=1' target=_blank>録</A></span>"
            "<span class=slink><A HREF='?cmd=edc&sid=7fe07fe00400&eid=1a2b&pt=3' target=_blank>" +
                cut + "</A></span>");
  event_.displayFlags = 4;  // reserved
  const std::string reserved = Links(event_);
  EXPECT_NE(reserved.find("&pt=2&q=1' target=_blank>無</A>"), std::string::npos) << reserved;

  SetInt(L"EPGDATACAP", L"ENABLE", 1);
  SetInt(L"EPGDATACAP", L"DIRECTJAVASCRIPT", 1);
  const std::string direct = Links(event_);
  EXPECT_NE(direct.find("<A HREF='javascript:etb_resv(\"?cmd=edc&sid=7fe07fe00400&eid=1a2b&pt=1&q=1\")'>録</A>"),
            std::string::npos);
  EXPECT_NE(direct.find("&pt=3' target=_blank>"), std::string::npos);  // the dialog form stays a plain link
}

}  // namespace
}  // namespace plimod::test
