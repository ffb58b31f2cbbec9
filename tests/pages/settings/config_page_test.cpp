#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "pages/auto_reserve/auto_reserve_page.h"
#include "pages/recorder/edcb_pattern_page.h"
#include "pages/search/search_condition_page.h"
#include "pages/settings/build_date.h"
#include "pages/settings/channel_sort_page.h"
#include "pages/settings/config_page.h"
#include "pages/settings/genre_colour_page.h"
#include "pages/settings/iepg_channel_name_page.h"
#include "pages/settings/ignore_channel_page.h"
#include "platform/text_codec.h"
#include "services/password_cipher.h"
#include "services/syoboi_check_page.h"
#include "tests/pages/settings_page_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/scoped_env.h"

namespace plimod::test {
namespace {

// Every field of the form, as a browser posts it with nothing ticked.
const std::string kEveryField =
    "cmd=config&cfg_datafolder=%2Fd%2F&cfg_checktime=3&cfg_checkchanges=1&cfg_condcount=30&cfg_log=1"
    "&cfg_addcondno=1&cfg_csstooltip=2&cfg_halfchar=1&cfg_explanpopup=1&cfg_edc_enable=1"
    "&cfg_edc_progtxt=%2Fp.txt&cfg_edc_timerexe=%2Ft.exe&cfg_edc_tuner_chi=2&cfg_edc_tuner_bscs=1"
    "&cfg_edc_tuner_all=3&cfg_add_explan=2&cfg_ttlcmd=%24t&cfg_edc_smalllink=1&cfg_direct_javascript=1"
    "&edc_priority=5&edc_forrow=0&edc_recmode=1&edc_ext1=1&edc_ext2=none"
    "&cfg_autoreservecount=40&cfg_autoreservedays=150&cfg_autoreserveupdate=1&cfg_addtunername=1"
    "&cfg_tvr_enable=1&cfg_tvr_url=http%3A%2F%2Fr%2F&cfg_tvr_smalllink=1&cfg_syobocal_enable=1"
    "&cfg_syobocal_user=me&cfg_syobocal_load=6%3A30&cfg_syoboiupload_enable=1&cfg_syoboiupload_user=up"
    "&cfg_syoboiupload_pw=&cfg_syoboiupload_slot=-3&cfg_syoboiupload_col=c&cfg_syoboiupload_url=u"
    "&cfg_remocon_enable=1&cfg_remocon_address=10.0.0.1%3A9";

// UTF-16LE with a byte-order mark as text.
std::wstring DecodeUtf16File(const std::string& bytes) {
  if (bytes.compare(0, 2, "\xFF\xFE") != 0) return L"(no BOM)";
  return Utf16LeToWide(std::string_view(bytes).substr(2));
}

// The value of the attribute `value` of the input named `name`, as a browser
// reads it (character references resolved).
std::string ShownValue(const std::string& page, const std::string& name) {
  std::size_t pos = page.find("name=" + name + " ");
  if (pos == std::string::npos) pos = page.find("name='" + name + "'");
  if (pos == std::string::npos) return "(no field)";
  pos = page.find("value=", pos) + 6;
  const char quote = page[pos];
  const std::size_t end = page.find(quote, pos + 1);
  std::string value = page.substr(pos + 1, end - pos - 1);
  for (auto [entity, c] : {std::pair{"&#39;", "'"}, {"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (std::size_t at; (at = value.find(entity)) != std::string::npos;) value.replace(at, std::strlen(entity), c);
  }
  return value;
}

std::string FormEncode(const std::string& text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c)) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

class ConfigPageTest : public SettingsPageFixture {
 protected:
  std::string Show() { return Run(ServeConfigPage, "cmd=config&mode=station"); }
  std::string StoredPassword() const { return WideToNarrow(Stored(L"SYOBOIUPLOAD", L"PASSWD")); }
  static std::string WideToNarrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

  ScopedEnv home_{"HOME", "/home/u"};
  ScopedEnv documents_{"XDG_DOCUMENTS_DIR", nullptr};
};

TEST_F(ConfigPageTest, FormShowsStoredValuesAndTheShownDefaults) {
  Set(L"SYSTEM", L"CONDITIONCOUNT", L"0");
  Set(L"EPGDATACAP", L"AUTORESERVEDAYS", L"150");
  Set(L"EPGDATACAP", L"ADDEXPLAN", L"1");
  Set(L"EPGDATACAP", L"TUNERCOUNT", L"2,1");
  Set(L"SYSTEM", L"EPGDATACHECKCHANGES", L"0");
  Set(L"SYOBOIUPLOAD", L"PASSWD", L"ABCD");
  Set(L"SYOBOIUPLOAD", L"SLOT", L"4");
  const std::string page = Show();
  EXPECT_TRUE(Contains(page, "<A HREF='?mode=station'>戻る</A>　<A HREF='?cmd=ignorech&mode=station'>無視チャンネル</A>　"));
  EXPECT_TRUE(Contains(page, "<A HREF='?cmd=genre&mode=station'>ジャンル色</A>　Ver:0.7.22(" + ProgramBuildDate() +
                                 ")<HR>\n<form method=post action='/'>\n"));
  EXPECT_TRUE(Contains(page, "<input type=hidden name=cmd value='config'>\n<input type=hidden name=mode value='station'>\n"
                             "EpgDataCap_Bonに関する設定<BR>\n"
                             "番組表データフォルダ <input name=cfg_datafolder value='/home/u/Documents/EpgTimerBon/EpgData/' "
                             "size=80><BR>\n"
                             "データ確認間隔 <input name=cfg_checktime value='1' size=4>"));
  EXPECT_TRUE(Contains(page, "<input type=checkbox name='cfg_checkchanges' value=1>データ変更監視"));
  EXPECT_TRUE(Contains(page, "<input name=cfg_condcount value='20' size=4>"));
  EXPECT_TRUE(Contains(page, "value='/home/u/Documents/EpgTimerBon/Program.txt' size=80>"));
  EXPECT_TRUE(Contains(page, "地上波：<input name=cfg_edc_tuner_chi value='2' size=4>　BS/CS：<input name=cfg_edc_tuner_bscs "
                             "value='1' size=4>　3波：<input name=cfg_edc_tuner_all value='0' size=4><BR>\n"));
  EXPECT_TRUE(Contains(page, "<option value='1' selected=selected>番組名＋説明</option>"));
  EXPECT_TRUE(Contains(page, "予約オプション<BR>\n<div style='margin-left: 16px;'>\n優先度 <select name='edc_priority'>"));
  EXPECT_TRUE(Contains(page, "<option value='3' selected=selected>3</option>"));
  EXPECT_TRUE(Contains(page, "</select><BR>\n</div>\n自動予約条件件数 <input name=cfg_autoreservecount value='20' size=4>"));
  EXPECT_TRUE(Contains(page, "<input name=cfg_autoreservedays value='150' size=4>"));
  EXPECT_TRUE(Contains(page, "name='cfg_syobocal_load' value=\"7:00\" size=4>"));
  EXPECT_TRUE(Contains(page, "<input name=cfg_syoboiupload_pw value='*dummy*' size=20>"));
  EXPECT_TRUE(Contains(page, "name='cfg_syoboiupload_slot' value=\"4\" size=4>"));
  EXPECT_TRUE(Contains(page, "<input name=cfg_syoboiupload_url value='http://127.0.0.1:18990/?{XID}' size=60>"));
  EXPECT_TRUE(Contains(page, "<input name=cfg_remocon_address value='127.0.0.1:1334' size=20>\n"
                             "<BR><input type=submit value='submit'>\n</form>\n</BODY></HTML>\n"));
}

TEST_F(ConfigPageTest, SaveWritesEveryFieldInOrderToTheFile) {
  int result = -1;
  EXPECT_EQ(Save(ServeConfigPage, kEveryField, &result), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(DecodeUtf16File(IniBytes()),
            L"[SYSTEM]\r\nEPGDATAFOLDER=/d/\r\nEPGDATACHECKTIME=3\r\nEPGDATACHECKCHANGES=1\r\nCONDITIONCOUNT=30\r\n"
            L"LOG=1\r\nADDCONDITIONNO=1\r\nUSECSSTOOLTIP=0\r\nUSEHALFCHAR=1\r\nUSEEXPLANPOPUP=1\r\n"
            L"SYOBOCAL_ENABLE=1\r\nSYOBOCAL_USERNAME=me\r\nSYOBOCAL_LOADTIME=6:30\r\nREMOCON_ENABLE=1\r\n"
            L"REMOCON_ADDRESS=10.0.0.1:9\r\n"
            L"[EPGDATACAP]\r\nENABLE=1\r\nPROGRAMTXT=/p.txt\r\nEPGTIMEREXE=/t.exe\r\nTUNERCOUNT=2,1,3\r\n"
            L"TITLETYPE=2\r\nTITLECOMMAND=$t\r\nSMALLLINK=1\r\nDIRECTJAVASCRIPT=1\r\nPRIORITY=5\r\nFORROW=0\r\n"
            L"RECMODE=1\r\nEXT1=1\r\nEXT2=\r\nAUTORESERVECOUNT=40\r\nAUTORESERVEDAYS=150\r\n"
            L"AUTORESERVEUPDATE=1\r\nADDTUNERNAME=1\r\n"
            L"[TVROCK]\r\nENABLE=1\r\nPROGRAMURL=http://r/\r\nSMALLLINK=1\r\n"
            L"[SYOBOIUPLOAD]\r\nENABLE=1\r\nUSERID=up\r\nPASSWD=\r\nSLOT=0\r\nEPGURL=u\r\nDEVCOLORS=c\r\n");
}

TEST_F(ConfigPageTest, NumbersOutsideTheirRulesKeepTheStoredValue) {
  Set(L"SYSTEM", L"CONDITIONCOUNT", L"25");
  Set(L"SYSTEM", L"EPGDATACHECKTIME", L"4");
  Set(L"EPGDATACAP", L"AUTORESERVEDAYS", L"9");
  for (const char* post : {"cfg_condcount=0&cfg_checktime=-1&cfg_autoreservedays=1000",
                           "cfg_condcount=1000&cfg_checktime=x&cfg_autoreservedays=0",
                           "cfg_condcount=x&cfg_checktime=-5&cfg_autoreservedays=-2"}) {
    Save(ServeConfigPage, std::string("cmd=config&") + post);
    EXPECT_EQ(Stored(L"SYSTEM", L"CONDITIONCOUNT"), L"25") << post;
    EXPECT_EQ(Stored(L"EPGDATACAP", L"AUTORESERVEDAYS"), L"9") << post;
  }
  EXPECT_EQ(Stored(L"SYSTEM", L"EPGDATACHECKTIME"), L"0");  // "x" reads as 0, which is saved
  Save(ServeConfigPage, "cmd=config&cfg_condcount=999&cfg_checktime=-1&cfg_autoreservedays=999");
  EXPECT_EQ(Stored(L"SYSTEM", L"CONDITIONCOUNT"), L"999");
  EXPECT_EQ(Stored(L"SYSTEM", L"EPGDATACHECKTIME"), L"0");
  EXPECT_EQ(Stored(L"EPGDATACAP", L"AUTORESERVEDAYS"), L"999");
  // Absent check boxes and texts store 0 and empty.
  EXPECT_EQ(Stored(L"SYSTEM", L"EPGDATACHECKCHANGES"), L"0");
  EXPECT_EQ(Stored(L"SYSTEM", L"EPGDATAFOLDER"), L"");
}

TEST_F(ConfigPageTest, PasswordIsKeptClearedOrEnciphered) {
  Save(ServeConfigPage, "cmd=config&cfg_syoboiupload_pw=%26lt%3Bpw%26gt%3B");
  const std::string stored = StoredPassword();
  EXPECT_EQ(stored.size(), 2u * (4 + 1));
  std::string plain = stored;
  CipherPassword(plain, true);
  EXPECT_EQ(plain, "<pw>");
  EXPECT_TRUE(Contains(Show(), "<input name=cfg_syoboiupload_pw value='*dummy*' size=20>"));

  Save(ServeConfigPage, "cmd=config&cfg_syoboiupload_pw=*dummy*");
  EXPECT_EQ(StoredPassword(), stored);
  Save(ServeConfigPage, "cmd=config&cfg_syoboiupload_pw=");
  EXPECT_EQ(StoredPassword(), "");
  EXPECT_TRUE(Contains(Show(), "<input name=cfg_syoboiupload_pw value='' size=20>"));

  // 50 three-byte characters: cut to 42 whole ones (126 bytes).
  std::string longPassword;
  for (int i = 0; i < 50; ++i) longPassword += "%E3%81%82";
  Save(ServeConfigPage, "cmd=config&cfg_syoboiupload_pw=" + longPassword);
  plain = StoredPassword();
  EXPECT_EQ(plain.size(), 2u * (126 + 1));
  CipherPassword(plain, true);
  std::string expected;
  for (int i = 0; i < 42; ++i) expected += "\xE3\x81\x82";
  EXPECT_EQ(plain, expected);
}

TEST_F(ConfigPageTest, FailedSaveIsAnsweredOnEveryPageAndAnUnreadableFileIsNeverOverwritten) {
  const std::string header = "HTTP/1.0 200 OK\nContent-Type: text/plain; charset=utf-8\n\n";
  ServiceMap[TrKey(1)] = L"tr1";
  ServiceMap[TrKey(2)] = L"tr2";
  Save(ServeConfigPage, "cmd=config&cfg_checktime=3");
  const std::string saved = IniBytes();
  // Every way a page changes the file; `post` requests carry spc and the
  // token, the others (flips, deletes, moves) the token only.
  const struct {
    CommandPage page;
    bool post;
    std::string fields;
  } kSaves[] = {
      {ServeConfigPage, true, "cmd=config&cfg_checktime=5"},
      {ServeChannelSortPage, false, "cmd=chsort&st_band=001&st_sel=0&st_dst=2"},
      {ServeIgnoreChannelPage, true, "cmd=ignorech&ch_T0001H=1"},
      {ServeIepgChannelNamePage, true, "cmd=iepgch"},
      {ServeGenreColorPage, true, "cmd=genre&genrecolor_0=%23ff0000"},
      {ServeGenreColorPage, true, "cmd=genre&sh_idx=0&color_value=%2300ff00"},
      {ServeGenreColorPage, true, "cmd=genre&sh_idx=0&colorupdate=1&color_value=%230000ff"},
      {ServeSearchConditionPage, true, "cmd=search&sh_idx=1"},
      {ServeSearchConditionPage, true, "cmd=search&sh_idx=1&color_value=%23ff0000"},
      {ServeSearchConditionPage, true, "cmd=search&sh_idx=1&colorupdate=1"},
      {ServeSearchConditionPage, false, "cmd=search&sh_idx=1&sh_flip=1"},
      {ServeSearchConditionPage, false, "cmd=search&sh_idx=1&delete=1"},
      {ServeSearchConditionPage, false, "cmd=search&sort=1&st_sel=1&st_dst=3"},
      {ServeAutoReservePage, true, "cmd=autore&sh_idx=1"},
      {ServeAutoReservePage, false, "cmd=autore&sh_idx=1&sh_flip=1"},
      {ServeAutoReservePage, false, "cmd=autore&sh_idx=1&delete=1"},
      {ServeAutoReservePage, false, "cmd=autore&del=1&historyid=x"},
      {ServeAutoReservePage, false, "cmd=autore&renum=1"},
      {ServeEdcbPatternPage, true, "cmd=edcbpattern&sh_idx=1"},
      {ServeEdcbPatternPage, false, "cmd=edcbpattern&sh_idx=1&sh_flip=1"},
      {ServeSyoboiCheckPage, true, "cmd=syobocheck&tid=1&svkey=1&word=w"},
  };
  for (const auto& save : kSaves) {
    int result = 0;
    std::string reply;
    {
      ScopedFileSizeLimit full(16);
      ASSERT_TRUE(full.ok());
      reply = save.post ? Save(save.page, save.fields, &result)
                        : Run(save.page, save.fields + "&token=" + token_, &result);
    }
    EXPECT_EQ(reply, header + "設定ファイルを保存できませんでした\n" + IniPath().string() + "\n") << save.fields;
    EXPECT_EQ(result, 1) << save.fields << ": no redirect, as if it had been saved";
    EXPECT_EQ(IniBytes(), saved) << save.fields;
  }

  const std::string refused =
      header + "設定ファイルを保存できませんでした\n起動時に読み込めなかったため、上書きしません\n" + IniPath().string() + "\n";
  const std::string utf16be("\xFE\xFF\0[\0S\0]\0\r\0\n", 12);
  for (const std::string& unreadable : {std::string("[SYSTEM]\r\nLOG=1\r\n"), utf16be, std::string("\x01\x02\x03garbage")}) {
    WriteFileBytes(IniPath(), unreadable);
    ASSERT_FALSE(Settings().Load(IniPath().wstring(), true));
    EXPECT_EQ(Save(ServeConfigPage, "cmd=config&cfg_checktime=5"), refused);
    EXPECT_EQ(Save(ServeGenreColorPage, "cmd=genre&genre_0=%23ff0000"), refused);
    EXPECT_EQ(IniBytes(), unreadable);
  }
}

TEST_F(ConfigPageTest, WrongTokenShowsTheFormAndChangesNothing) {
  Set(L"SYSTEM", L"LOG", L"1");
  int result = -1;
  const std::string page = Run(ServeConfigPage, "spc=%E3%80%80&token=bad&" + kEveryField, &result);
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(Contains(page, "<TITLE>環境設定</TITLE>"));
  EXPECT_EQ(Stored(L"SYSTEM", L"LOG"), L"1");
  EXPECT_EQ(Stored(L"SYSTEM", L"EPGDATAFOLDER"), L"(missing)");
  EXPECT_FALSE(std::filesystem::exists(IniPath()));
}

TEST_F(ConfigPageTest, TrickyValuesSurviveAnUnchangedResave) {
  // A CR typed into a field is stored as a blank and stays one.
  Save(ServeConfigPage, "cmd=config&cfg_syobocal_user=a%0Db%09c");
  EXPECT_EQ(Stored(L"SYSTEM", L"SYOBOCAL_USERNAME"), L"a b c");
  Set(L"SYSTEM", L"EPGDATAFOLDER", L"/home/o'brien/\"epg\"/");
  Set(L"EPGDATACAP", L"TITLECOMMAND", L"s/\"(.*)\"/$1/ &lt;x&gt; 'q'");
  Set(L"TVROCK", L"PROGRAMURL", L"http://h/?a=1&b=<2>");
  const std::map<std::string, std::wstring> expected = {
      {"cfg_datafolder", L"/home/o'brien/\"epg\"/"},
      {"cfg_ttlcmd", L"s/\"(.*)\"/$1/ &lt;x&gt; 'q'"},
      // A raw "<" in the file comes back as the parser's entity, as typed text always is.
      {"cfg_tvr_url", L"http://h/?a=1&b=&lt;2&gt;"},
      {"cfg_syobocal_user", L"a b c"},
  };
  for (int round = 0; round < 2; ++round) {
    const std::string page = Show();
    std::string post = "cmd=config";
    for (const auto& [name, value] : expected) post += "&" + name + "=" + FormEncode(ShownValue(page, name));
    Save(ServeConfigPage, post);
  }
  EXPECT_EQ(Stored(L"SYSTEM", L"EPGDATAFOLDER"), expected.at("cfg_datafolder"));
  EXPECT_EQ(Stored(L"EPGDATACAP", L"TITLECOMMAND"), expected.at("cfg_ttlcmd"));
  EXPECT_EQ(Stored(L"TVROCK", L"PROGRAMURL"), expected.at("cfg_tvr_url"));
  EXPECT_EQ(Reloaded(L"SYSTEM", L"SYOBOCAL_USERNAME"), L"a b c");
}

TEST(BuildDate, MonthNumberWithoutZeroAndTheDayAsWritten) {
  EXPECT_EQ(FormatBuildDate("Jan 25 2018"), "2018/1/25");
  EXPECT_EQ(FormatBuildDate("Jan  5 2018"), "2018/1/5");
  EXPECT_EQ(FormatBuildDate("Dec 31 2026"), "2026/12/31");
}

}  // namespace
}  // namespace plimod::test
