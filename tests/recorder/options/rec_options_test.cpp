#include <gtest/gtest.h>

#include <string>

#include "recorder/options/rec_option_fields.h"
#include "recorder/options/rec_options.h"
#include "server/page_helpers.h"
#include "settings/ini_file.h"

namespace plimod::test {
namespace {

constexpr const char* kAllFields[] = {"edc_priority",      "edc_forrow",        "edc_recmode",  "edc_ext1",
                                      "edc_ext2",          "edc_recdir",        "edc_postaction",
                                      "edc_resumerestart", "edc_margin_enable", "edc_margin_s", "edc_margin_e",
                                      "edc_service_flag"};

class RecOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_.SetString(L"EDCB_BATCHLIST", nullptr, L"/bat/one.sh");
    ini_.SetString(L"EDCB_BATCHLIST", nullptr, L"/bat/a&b<c>.sh");
    ini_.SetString(L"EDCB_RECDIR", nullptr, L"/rec/first");
    ini_.SetString(L"EDCB_RECDIR", nullptr, L"/rec/second");
  }
  IniSection Bound(const wchar_t* name) {
    IniSection section(ini_);
    section.Select(name, true);
    return section;
  }
  std::string Loaded(bool srvMode, const wchar_t* name = L"PATTERN") {
    RequestParameters form;
    LoadRecOptions(form, Bound(name), srvMode);
    std::string values;
    for (const char* field : kAllFields) {
      values += form.Entries().count(field) ? form.Value(field) : "-";
      values += '|';
    }
    return values;
  }
  std::wstring Value(const wchar_t* section, const wchar_t* key) {
    return ini_.GetString(section, key).value_or(L"(missing)");
  }
  std::string Fields(const RequestParameters& form, bool srvMode) {
    std::string html;
    ReplyWriter out(&html);
    WriteRecOptionFields(out, form, Bound(L"PATTERN"), srvMode);
    return html;
  }

  IniFile ini_;
};

TEST_F(RecOptionsTest, LoadTakesDefaultsThenTheDefaultSectionThenTheOwnSection) {
  EXPECT_EQ(Loaded(true), "3|1|0|0|||4|0|0|0|0|0|");
  EXPECT_EQ(Loaded(false), "3|1|0|0||-|-|-|-|-|-|-|");

  ini_.SetString(L"EPGDATACAP", L"PRIORITY", L"5");
  ini_.SetString(L"EPGDATACAP", L"EXT2", L"/bat/def.sh");
  ini_.SetString(L"EPGDATACAP", L"MARGIN_END", L"30");
  ini_.SetString(L"PATTERN", L"PRIORITY", L"2");
  ini_.SetString(L"PATTERN", L"RECDIR", L"/rec/ä");
  ini_.SetString(L"PATTERN", L"SERVICE", L"6");
  EXPECT_EQ(Loaded(true), "2|1|0|0|/bat/def.sh|/rec/ä|4|0|0|0|30|6|");
  EXPECT_EQ(Loaded(true, L"OTHER"), "5|1|0|0|/bat/def.sh||4|0|0|0|30|0|");
}

TEST_F(RecOptionsTest, StoreWritesIntegersAndPicksPathsFromTheLists) {
  RequestParameters form;
  form.Reset("edc_priority=4&edc_recmode=x&edc_ext2=2&edc_recdir=0&edc_postaction=1&edc_margin_s=-5"
             "&edc_service_caption=1&edc_service_carousel=1");
  IniSection section = Bound(L"PATTERN");
  StoreRecOptions(form, section, true);
  EXPECT_EQ(Value(L"PATTERN", L"PRIORITY"), L"4");
  EXPECT_EQ(Value(L"PATTERN", L"FORROW"), L"0");  // absent counts as 0
  EXPECT_EQ(Value(L"PATTERN", L"RECMODE"), L"0");
  EXPECT_EQ(Value(L"PATTERN", L"EXT2"), L"/bat/a&b<c>.sh");
  EXPECT_EQ(Value(L"PATTERN", L"RECDIR"), L"/rec/first");
  EXPECT_EQ(Value(L"PATTERN", L"POSTACTION"), L"1");
  EXPECT_EQ(Value(L"PATTERN", L"MARGIN_START"), L"-5");
  EXPECT_EQ(Value(L"PATTERN", L"SERVICE"), L"6");
  EXPECT_EQ(form.Value("edc_service_flag"), "6");

  // Indexes without an entry leave the paths; "none" empties them.
  for (const char* text : {"edc_ext2=0&edc_recdir=2", "edc_ext2=3&edc_recdir=-1", "edc_ext2=100&edc_recdir=x1"}) {
    form.Reset(text);
    StoreRecOptions(form, section, true);
    EXPECT_EQ(Value(L"PATTERN", L"EXT2"), L"/bat/a&b<c>.sh") << text;
  }
  EXPECT_EQ(Value(L"PATTERN", L"RECDIR"), L"/rec/first");  // "x1" reads as 0
  form.Reset("edc_ext2=none&edc_recdir=none&edc_service_flag=3&edc_service_enable=0");
  StoreRecOptions(form, section, true);
  EXPECT_EQ(Value(L"PATTERN", L"EXT2"), L"");
  EXPECT_EQ(Value(L"PATTERN", L"RECDIR"), L"");
  EXPECT_EQ(Value(L"PATTERN", L"SERVICE"), L"3");
}

TEST_F(RecOptionsTest, DefKeepsAnOwnPathAndCopiesTheDefaultOtherwise) {
  ini_.SetString(L"EPGDATACAP", L"EXT2", L"/bat/def.sh");
  ini_.SetString(L"KEEPS", L"EXT2", L"/bat/own.sh");
  RequestParameters form;
  form.Reset("edc_ext2=def&edc_recdir=def");
  IniSection keeps = Bound(L"KEEPS");
  StoreRecOptions(form, keeps, true);
  EXPECT_EQ(Value(L"KEEPS", L"EXT2"), L"/bat/own.sh");
  EXPECT_EQ(Value(L"KEEPS", L"RECDIR"), L"");  // neither section has one
  IniSection copies = Bound(L"COPIES");
  StoreRecOptions(form, copies, true);
  EXPECT_EQ(Value(L"COPIES", L"EXT2"), L"/bat/def.sh");
}

TEST_F(RecOptionsTest, TextRecorderStoresOnlyTheFirstFiveOptions) {
  RequestParameters form;
  form.Reset("edc_priority=1&edc_forrow=1&edc_recmode=2&edc_ext1=1&edc_ext2=1&edc_recdir=0&edc_postaction=2");
  IniSection section = Bound(L"PATTERN");
  StoreRecOptions(form, section, false);
  std::wstring keys;
  for (int i = 0; auto line = ini_.GetIndexed(L"PATTERN", i); ++i) keys += *line + L";";
  EXPECT_EQ(keys, L"PRIORITY=1;FORROW=1;RECMODE=2;EXT1=1;EXT2=/bat/one.sh;");
}

TEST_F(RecOptionsTest, TextRecorderFieldsAreTheFiveSelects) {
  RequestParameters form;
  form.Reset("edc_priority=5&edc_forrow=1&edc_recmode=4&edc_ext1=0&edc_ext2=0");
  EXPECT_EQ(Fields(form, false),
            "優先度 <select name='edc_priority'><option value='1'>1 (低)</option><option value='2'>2</option>"
            "<option value='3'>3</option><option value='4'>4</option>"
            "<option value='5' selected=selected>5 (高)</option></select><BR>\n"
            "追従　 <select name='edc_forrow'><option value='0'>しない </option>"
            "<option value='1' selected=selected>する </option></select><BR>\n"
            "録画モード <select name='edc_recmode'><option value='0'>全サービス</option>"
            "<option value='1'>指定サービス</option><option value='2'>全サービス(B25なし)</option>"
            "<option value='3'>指定サービス(B25なし)</option><option value='4' selected=selected>視聴</option>"
            "</select><BR>\n"
            "ぴったり（？）録画 <select name='edc_ext1'><option value='0' selected=selected>しない </option>"
            "<option value='1'>する </option></select><BR>\n"
            "録画後バッチ起動 <select name='edc_ext2'><option value='none' selected=selected>無し</option>"
            "<option value='1'>/bat/one.sh</option><option value='2'>/bat/a&amp;b&lt;c&gt;.sh</option>"
            "</select><BR>\n");
}

TEST_F(RecOptionsTest, ServerFieldsShowKeptPathsEscapedAndTheBoxesOfTheFlags) {
  RequestParameters form;
  form.Reset("edc_recmode=5&edc_ext2=%2Fx%26y.sh&edc_recdir=%2Fr%27%3Cs&edc_postaction=3&edc_resumerestart=1"
             "&edc_margin_s=10&edc_margin_e=-2&edc_service_flag=5");
  const std::string html = Fields(form, true);
  EXPECT_NE(html.find("<option value='5' selected=selected>無効</option></select><BR>\n"), std::string::npos);
  EXPECT_NE(html.find("<select name='edc_ext2'><option value='def' selected=selected>/x&amp;y.sh</option>"
                      "<option value='none'>無し</option><option value='1'>"),
            std::string::npos);
  // The request parser already turned the typed "<" into "&lt;".
  EXPECT_NE(html.find("録画ファイル保存フォルダ <select name='edc_recdir'><option value='def' selected=selected>"
                      "/r'&amp;lt;s</option><option value='none'>デフォルト</option>"
                      "<option value='0'>/rec/first</option><option value='1'>/rec/second</option></select><BR>\n"
                      "録画後動作 <select name='edc_postaction'>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("<option value='3' selected=selected>シャットダウン </option><option value='4'>デフォルト設定 "
                      "</option></select>\n"
                      "<input type=checkbox name='edc_resumerestart' value=1 checked>復帰後再起動する<BR>\n"
                      "マージン設定　<input type=checkbox name='edc_margin_enable' value=1>個別指定する　"
                      "開始 <input name=edc_margin_s value='10' size=3> 秒　終了 <input name=edc_margin_e value='-2' "
                      "size=3> 秒<BR>\n"
                      "指定サービス設定　<input type=checkbox name='edc_service_enable' value=1 checked>個別指定する　"
                      "<input type=checkbox name='edc_service_caption' value=1>字幕データ含む　"
                      "<input type=checkbox name='edc_service_carousel' value=1 checked>データカルーセル含む<BR>\n"),
            std::string::npos)
      << html;
  EXPECT_EQ(RecOptionLabel("edc_recmode", 5), "無効");
  EXPECT_EQ(RecOptionLabel("edc_forrow", 2), "");
}

}  // namespace
}  // namespace plimod::test
