#include <mutex>
#include <shared_mutex>
#include <vector>

#include "epg/epg_index.h"
#include "epg/search_runner.h"
#include "pages/forms/condition_fields.h"
#include "pages/mobile/mobile_pages_internal.h"
#include "platform/system_time.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "settings/ini_file.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr std::size_t kWordChars = 1024;
constexpr int kMaxListedHits = 100;
constexpr char kBands[] = {'T', 'B', 'C'};
constexpr const char* kBandLabels[] = {"地上波", "BS", "CS"};

std::wstring BandModeKey(char band) { return std::wstring(L"CH_") + static_cast<wchar_t>(band) + L"_MODE"; }

bool IsSavingPost(const RequestParameters& params) {
  return !params.Value("spc").empty() && CheckRequestToken(params.Value("token"));
}

// The form into the scratch section. The words are kept as typed: this
// document is never saved.
void StoreSearchForm(IniSection& section, const RequestParameters& params) {
  section.SetString(nullptr, L"WORD", DecodeUtf8(params.Value("sh_word"), kWordChars));
  section.SetString(nullptr, L"EXCLUSIVEWORD", DecodeUtf8(params.Value("sh_exclusive"), kWordChars));
  section.SetString(nullptr, L"SEARCH_TITLE", params.Value("sh_title") == "1" ? L"1" : L"0");
  section.SetString(nullptr, L"SEARCH_EXPLANATION", params.Value("sh_explan") == "1" ? L"1" : L"0");
  section.SetString(nullptr, L"SEARCH_DETAIL", params.Value("sh_detail") == "1" ? L"1" : L"0");
  section.SetString(nullptr, L"GENRE", PostedGenres(params.Value("sh_genre")));
  for (char band : kBands) {
    const std::string field = std::string("sh_ch_") + band + "_mode";
    section.SetInt(nullptr, BandModeKey(band).c_str(), StringToInt(params.Value(field)));
  }
}

bool Ticked(const IniSection& section, const wchar_t* key, bool byDefault) {
  const auto value = section.GetString(nullptr, key);
  return value ? *value == L"1" : byDefault;
}

void WriteSearchForm(ReplyWriter& out, const MobileRequest& request, const IniSection& section) {
  SendPageText(out, "<A HREF='?%s' accesskey=0>戻</A><HR>", MobileQueryCarry(request.params, "c d b s").c_str());
  SendPageText(out, "<form method=post action='/m/'>\n");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
  SendPageText(out, "<input type=hidden name=c value=w>\n");
  WriteHiddenField(out, "w");
  WriteHiddenField(out, "sh_idx");
  WriteCarryOverHiddenFields(request.params, out);
  SendPageText(out, "検索語:<input type=text name='sh_word' value='%s' size=20><BR>\n",
               PageText(section.GetString(nullptr, L"WORD").value_or(L"")).c_str());
  SendPageText(out, "<input type=checkbox name='sh_title' value=1%s>タイトル ",
               CheckedAttr(Ticked(section, L"SEARCH_TITLE", true)));
  SendPageText(out, "<input type=checkbox name='sh_explan' value=1%s>説明 ",
               CheckedAttr(Ticked(section, L"SEARCH_EXPLANATION", false)));
  SendPageText(out, "<input type=checkbox name='sh_detail' value=1%s>詳細<BR>\n",
               CheckedAttr(Ticked(section, L"SEARCH_DETAIL", false)));
  for (int band = 0; band < 3; ++band) {
    SendPageText(out, "<input type=checkbox name='sh_ch_%c_mode' value=1%s>%s ", kBands[band],
                 CheckedAttrIf(section.GetIntDefault(nullptr, BandModeKey(kBands[band]).c_str(), 1)),
                 kBandLabels[band]);
  }
  SendPageText(out, "<BR>\n<input type=submit name=return value='検索'>");
  SendPageText(out, "</form>\n");
}

void WriteHits(ReplyWriter& out, const MobileRequest& request, const IniSection& section) {
  const ReserveSnapshot lists = ReloadMobileReserveLists();
  std::shared_lock lock(EpgDataLock());
  // The words fold with the normalise list of the search's own document
  // (the scratch one holds none), not with the program's settings.
  const SearchCondition condition = ReadSearchCondition(section, SearchNormalizeList(section.Document()));
  const std::vector<SearchHit> hits = RunSearchCondition(condition, 0, LocalNowTicks());
  SendPageText(out, "ヒット数：%d<BR>\n", static_cast<int>(hits.size()));
  int written = 0;
  for (SearchHit hit : hits) {
    const EpgEvent* stored = FindStoredEvent(ServiceKeyOf(hit), EidOf(hit));
    if (stored == nullptr) continue;
    EpgEvent copy = *stored;
    copy.displayStartMinutes = copy.start.wHour * 60u + copy.start.wMinute;
    (void)FindReserveForEvent(*lists, copy);
    MobileProgramLink(out, request, copy, *lists);
    if (++written > kMaxListedHits) {
      SendPageText(out, "検索結果が100件を超えましたので出力を中止しました.<BR>\n");
      break;
    }
  }
}

}  // namespace

void MobileSearchPage(ReplyWriter& out, MobileRequest& request) {
  IniFile scratch;
  IniSection section(scratch);
  section.Select(L"dummy", true);
  if (IsSavingPost(request.params)) StoreSearchForm(section, request.params);
  MobilePageHead(out, "検索");
  WriteSearchForm(out, request, section);
  WriteHits(out, request, section);
  MobilePageEnd(out);
}

}  // namespace plimod
