// The form of the environment settings page. Stored texts go into their
// attributes escaped, so a path with a quote shows whole and survives the
// next save unchanged.
#include <array>
#include <string>

#include "pages/forms/settings_form.h"
#include "pages/settings/build_date.h"
#include "pages/settings/config_page.h"
#include "pages/settings/config_values.h"
#include "recorder/options/rec_option_fields.h"
#include "recorder/options/rec_options.h"
#include "server/carry_over.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "util/module_paths.h"
#include "util/page_text.h"

namespace plimod {

namespace {

// Reads the stored values as the form shows them.
class ShownValues {
 public:
  explicit ShownValues(const IniFile& settings) : settings_(settings) {}

  // The stored text, or `fallback` when the key is missing or empty.
  std::string Text(const wchar_t* section, const wchar_t* key, const std::wstring& fallback = L"") const {
    std::wstring text = settings_.GetString(section, key).value_or(L"");
    return PageText(text.empty() ? fallback : text);
  }
  // The stored text, or `fallback` only when the key is missing.
  std::string TextUnlessMissing(const wchar_t* section, const wchar_t* key, const wchar_t* fallback) const {
    return PageText(settings_.GetString(section, key).value_or(fallback));
  }
  // The stored number, or `fallback` when missing or outside [low, high].
  int Int(const wchar_t* section, const wchar_t* key, int fallback, int low = INT32_MIN,
          int high = INT32_MAX) const {
    int value = fallback;
    if (!settings_.GetInt(section, key, value) || value < low || value > high) return fallback;
    return value;
  }
  const char* Check(const wchar_t* section, const wchar_t* key, int fallback = 0) const {
    return CheckedAttrIf(settings_.GetIntDefault(section, key, fallback));
  }
  int TitleType() const {
    return Int(kEpgDataCap, L"TITLETYPE", Int(kEpgDataCap, L"ADDEXPLAN", 0));
  }
  std::array<int, 3> TunerCounts() const {
    std::array<int, 3> counts{};
    settings_.GetIntList(kEpgDataCap, L"TUNERCOUNT", counts);
    return counts;
  }
  bool HasPassword() const { return !settings_.GetString(kSyoboiUpload, L"PASSWD").value_or(L"").empty(); }

 private:
  const IniFile& settings_;
};

std::wstring RecorderPath(const wchar_t* name) {
  std::wstring path;
  GetEpgTimerBonPath(path, kMaxPathChars + 1, name);
  return path;
}

void WriteHead(ReplyWriter& out, const RequestParameters& params) {
  const std::string carry = MakeCarryOverQuery(params);
  const char* c = carry.c_str();
  WriteSettingsPageHead(out, "環境設定", false);
  SendPageText(out, "<A HREF='?%s'>戻る</A>　", c);
  SendPageText(out, "<A HREF='?cmd=ignorech&%s'>無視チャンネル</A>　", c);
  SendPageText(out, "<A HREF='?cmd=iepgch&%s'>iEPGチャンネル名</A>　", c);
  SendPageText(out, "<A HREF='?cmd=chsort&st_band=001&%s'>地上波並び</A>　", c);
  SendPageText(out, "<A HREF='?cmd=chsort&st_band=010&%s'>BS並び</A>　", c);
  SendPageText(out, "<A HREF='?cmd=chsort&st_band=100&%s'>CS並び</A>　", c);
  SendPageText(out, "<A HREF='?cmd=genre&%s'>ジャンル色</A>　", c);
  SendPageText(out, "Ver:%s(%s)", kProgramVersion, ProgramBuildDate().c_str());
  SendPageText(out, "<HR>\n");
  WriteSettingsFormHead(out);
  WriteCarryOverHiddenFields(params, out);
}

void WriteDataGroups(ReplyWriter& out, const ShownValues& v) {
  SendPageText(out, "EpgDataCap_Bonに関する設定<BR>\n");
  SendPageText(out, "番組表データフォルダ <input name=cfg_datafolder value='%s' size=80><BR>\n",
               v.Text(kSystem, L"EPGDATAFOLDER", RecorderPath(L"EpgData") + L"/").c_str());
  SendPageText(out, "データ確認間隔 <input name=cfg_checktime value='%d' size=4>時間おき　"
                    "<a href='?cmd=epg' target='_blank'>今すぐ更新</a><BR>\n",
               v.Int(kSystem, L"EPGDATACHECKTIME", kDefaultCheckHours));
  SendPageText(out, "<input type=checkbox name='cfg_checkchanges' value=1%s>データ変更監視<BR>\n",
               v.Check(kSystem, L"EPGDATACHECKCHANGES", 1));
  SendPageText(out, "<HR>検索条件に関する設定<BR>\n");
  SendPageText(out, "検索条件件数 <input name=cfg_condcount value='%d' size=4><BR>\n",
               v.Int(kSystem, L"CONDITIONCOUNT", 20, 1, kMaxConfigCount));
  SendPageText(out, "<HR>その他<BR>\n");
  SendPageText(out, "<input type=checkbox name='cfg_log' value=1%s>ログ出力　"
                    "<a href='?cmd=log' target='_blank'>ログ表示</a><BR>\n",
               v.Check(kSystem, L"LOG"));
  SendPageText(out, "<input type=checkbox name='cfg_addcondno' value=1%s>検索結果で検索条件番号を表示<BR>\n",
               v.Check(kSystem, L"ADDCONDITIONNO"));
  SendPageText(out, "<input type=checkbox name='cfg_csstooltip' value=1%s>詳細のポップアップ表示にCSSツールチップを使う<BR>\n",
               v.Check(kSystem, L"USECSSTOOLTIP"));
  SendPageText(out, "<input type=checkbox name='cfg_halfchar' value=1%s>番組表データの英数字を半角にする<BR>\n",
               v.Check(kSystem, L"USEHALFCHAR"));
  SendPageText(out, "<input type=checkbox name='cfg_explanpopup' value=1%s>タイトルのみ表示の時説明をポップアップ表示する<BR>\n",
               v.Check(kSystem, L"USEEXPLANPOPUP"));
}

void WriteTitleTypeSelect(ReplyWriter& out, int current) {
  static constexpr const char* kTitles[] = {"番組名のみ", "番組名＋説明", "コマンドで指定"};
  SendPageText(out, "予約時登録タイトル ");
  SendPageText(out, "<select name='cfg_add_explan'>");
  for (int i = 0; i < 3; ++i) {
    SendPageText(out, "<option value='%d'%s>%s</option>", i, SelectedAttr(i == current), kTitles[i]);
  }
  SendPageText(out, "</select><BR>\n");
}

void WriteRecorderGroup(ReplyWriter& out, RequestParameters& params, IniFile& settings, const ShownValues& v) {
  SendPageText(out, "<HR>EpgDataCap_Bon連携<BR>\n");
  SendPageText(out, "<input type=checkbox name='cfg_edc_enable' value=1%s>EpgTimer_Bon.exeの予約機能を使う<BR>\n",
               v.Check(kEpgDataCap, L"ENABLE"));
  SendPageText(out, "Program.txtのあるフォルダ <input name=cfg_edc_progtxt value='%s' size=80><BR>\n",
               v.Text(kEpgDataCap, L"PROGRAMTXT", RecorderPath(L"Program.txt")).c_str());
  SendPageText(out, "EpgTimer_Bon.exeのあるフォルダ <input name=cfg_edc_timerexe value='%s' size=80><BR>\n",
               v.Text(kEpgDataCap, L"EPGTIMEREXE").c_str());
  const std::array<int, 3> tuners = v.TunerCounts();
  SendPageText(out, "チューナー数 地上波：<input name=cfg_edc_tuner_chi value='%d' size=4>", tuners[0]);
  SendPageText(out, "　BS/CS：<input name=cfg_edc_tuner_bscs value='%d' size=4>", tuners[1]);
  SendPageText(out, "　3波：<input name=cfg_edc_tuner_all value='%d' size=4><BR>\n", tuners[2]);
  WriteTitleTypeSelect(out, v.TitleType());
  SendPageText(out, "　コマンド：<input type=text name='cfg_ttlcmd' value=\"%s\" size=100><BR>\n",
               v.Text(kEpgDataCap, L"TITLECOMMAND").c_str());
  SendPageText(out, "<input type=checkbox name='cfg_edc_smalllink' value=1%s>番組表に小さな予約リンクを追加<BR>\n",
               v.Check(kEpgDataCap, L"SMALLLINK"));
  SendPageText(out, "　<input type=checkbox name='cfg_direct_javascript' value=1%s>"
                    "JavaScriptを使用して新しいウィンドウを開かず予約<BR>\n",
               v.Check(kEpgDataCap, L"DIRECTJAVASCRIPT"));
  SendPageText(out, "予約オプション<BR>\n");
  SendPageText(out, "<div style='margin-left: 16px;'>\n");
  IniSection defaults(settings);
  defaults.Select(kDefaultRecOptionSection, true);
  LoadRecOptions(params, defaults);
  WriteDefaultRecOptionFields(out, params, settings);
  SendPageText(out, "</div>\n");
  SendPageText(out, "自動予約条件件数 <input name=cfg_autoreservecount value='%d' size=4>　\n",
               v.Int(kEpgDataCap, L"AUTORESERVECOUNT", 20, 1, kMaxConfigCount));
  SendPageText(out, "自動予約範囲 現在時刻から<input name=cfg_autoreservedays value='%d' size=4>日以内<BR>\n",
               v.Int(kEpgDataCap, L"AUTORESERVEDAYS", 2, 1, kMaxConfigCount));
  SendPageText(out, "<input type=checkbox name='cfg_autoreserveupdate' value=1%s>"
                    "自動予約後番組情報が更新されたら予約タイトル名も更新する<BR>\n",
               v.Check(kEpgDataCap, L"AUTORESERVEUPDATE"));
  SendPageText(out, "<input type=checkbox name='cfg_addtunername' value=1%s>予約に使用予定チューナーを表示<BR>\n",
               v.Check(kEpgDataCap, L"ADDTUNERNAME"));
  SendPageText(out, "→<a href='?cmd=edcpattern&%s'>予約パターン登録</a><BR>\n", MakeCarryOverQuery(params).c_str());
}

void WriteServiceGroups(ReplyWriter& out, const ShownValues& v) {
  SendPageText(out, "<HR>TvRock連携<BR>\n");
  SendPageText(out, "<input type=checkbox name='cfg_tvr_enable' value=1%s>TvRockの予約機能を使う<BR>\n",
               v.Check(kTvRock, L"ENABLE"));
  SendPageText(out, "TvRockの番組表URL <input name=cfg_tvr_url value='%s' size=60><BR>\n",
               v.Text(kTvRock, L"PROGRAMURL").c_str());
  SendPageText(out, "<input type=checkbox name='cfg_tvr_smalllink' value=1%s>番組表に小さな予約リンクを追加<BR>\n",
               v.Check(kTvRock, L"SMALLLINK"));
  SendPageText(out, "<HR>しょぼいカレンダー連携<BR>\n");
  SendPageText(out, "<input type=checkbox name='cfg_syobocal_enable' value=1%s>しょぼいカレンダーから番組リスト取得<BR>\n",
               v.Check(kSystem, L"SYOBOCAL_ENABLE"));
  SendPageText(out, "　しょぼいカレンダーUSER ID <input name=cfg_syobocal_user value='%s' size=20>\n",
               v.Text(kSystem, L"SYOBOCAL_USERNAME").c_str());
  SendPageText(out, "　受信時間：<input type=text name='cfg_syobocal_load' value=\"%s\" size=4><BR>\n",
               v.TextUnlessMissing(kSystem, L"SYOBOCAL_LOADTIME", L"7:00").c_str());
  SendPageText(out, "<input type=checkbox name='cfg_syoboiupload_enable' value=1%s>"
                    "しょぼいカレンダーに自分の録画予定を表示<BR>\n",
               v.Check(kSyoboiUpload, L"ENABLE"));
  SendPageText(out, "　しょぼいカレンダーUSER ID <input name=cfg_syoboiupload_user value='%s' size=20>\n",
               v.Text(kSyoboiUpload, L"USERID").c_str());
  SendPageText(out, "　PASSWORD <input name=cfg_syoboiupload_pw value='%s' size=20><BR>\n",
               v.HasPassword() ? kPasswordPlaceholder : "");
  SendPageText(out, "　slot：<input type=text name='cfg_syoboiupload_slot' value=\"%d\" size=4>",
               v.Int(kSyoboiUpload, L"SLOT", 0));
  SendPageText(out, "　devcolors：<input name=cfg_syoboiupload_col value='%s' size=80><BR>",
               v.Text(kSyoboiUpload, L"DEVCOLORS").c_str());
  SendPageText(out, "　epgurl：<input name=cfg_syoboiupload_url value='%s' size=60>\n",
               v.Text(kSyoboiUpload, L"EPGURL", L"http://127.0.0.1:18990/?{XID}").c_str());
  SendPageText(out, "　<a href='?cmd=syoboup' target='_blank'>今すぐアップロード</a><BR>\n");
  SendPageText(out, "<HR>ネットワークリモコン<BR>\n");
  SendPageText(out, "<input type=checkbox name='cfg_remocon_enable' value=1%s>番組表にリモコンリンクを追加<BR>\n",
               v.Check(kSystem, L"REMOCON_ENABLE"));
  SendPageText(out, "アドレス:ポート <input name=cfg_remocon_address value='%s' size=20>\n",
               v.Text(kSystem, L"REMOCON_ADDRESS", L"127.0.0.1:1334").c_str());
}

}  // namespace

void WriteConfigForm(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  const ShownValues values(settings);
  WriteHead(out, params);
  WriteDataGroups(out, values);
  WriteRecorderGroup(out, params, settings, values);
  WriteServiceGroups(out, values);
  WriteSettingsFormFoot(out);
}

}  // namespace plimod
