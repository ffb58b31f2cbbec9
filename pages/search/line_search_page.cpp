#include "pages/search/line_search_page.h"

#include <string>

#include "epg/search_condition.h"
#include "epg/search_runner.h"
#include "guide/command_pages.h"
#include "guide/program_links.h"
#include "pages/forms/condition_fields.h"
#include "pages/forms/settings_form.h"
#include "pages/search/search_hit_preview.h"
#include "platform/system_time.h"
#include "recorder/lists/reserve_lists.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_reply.h"
#include "util/keys.h"

namespace plimod {

namespace {

constexpr const wchar_t* kScratchSection = L"dummy";
constexpr const wchar_t* kAllDays = L"日月火水木金土日";
constexpr int kSearchBands = 3;

// The defaults of this page differ from the condition editor's: an absent
// title box still searches titles, an empty end hour is 23, an empty band
// mode is 1, and no ticked day means every day.
void StorePostedSearch(IniFile& scratch, RequestParameters& params) {
  const std::string title = params.Value("sh_title");
  params["sh_title"] = title.empty() || title == "1" ? "1" : "0";
  if (params.Value("sh_time_e").empty()) params["sh_time_e"] = "23";
  for (int band = 0; band < kSearchBands; ++band) {
    const std::string mode = std::string("sh_ch_") + kBandLetters[band] + "_mode";
    if (params.Value(mode).empty()) params[mode] = "1";
  }
  StoreConditionFields(scratch, kScratchSection, params, kSearchBands);
  (void)scratch.DeleteKey(kScratchSection, L"ENABLE");
  if (scratch.GetString(kScratchSection, L"WEEK").value_or(L"").empty()) {
    scratch.SetString(kScratchSection, L"WEEK", kAllDays);
  }
}

void WriteSearchForm(ReplyWriter& out, const RequestParameters& params, const IniFile& scratch) {
  WriteSettingsFormHead(out);
  WriteHiddenField(out, "sh_idx");
  WriteCarryOverHiddenFields(params, out);
  ConditionFormOptions options;
  options.bands = kSearchBands;
  options.enableRow = false;
  WriteConditionFields(out, ConditionPlace{&scratch, kScratchSection}, options);
  SendPageText(out, "<BR>\n");
  SendPageText(out, "<input type=submit name=return value='submit'><BR>");
  SendPageText(out, "</form>\n");
}

// Grey for a disabled reservation, else cyan; yellow or red when the
// recorder reported it cannot (1) or may not (2) record it.
const char* ReserveColour(const ReserveLists& lists, SearchHit hit) {
  const ReserveEntry* entry = FindReserve(lists, ServiceKeyOf(hit), EidOf(hit));
  if (entry == nullptr) return nullptr;
  if (entry->Disabled()) return "#c0c0c0";
  if (entry->unrecordable == 1) return "#ffff80";
  if (entry->unrecordable == 2) return "#ff8080";
  return "#80ffff";
}

void WriteHits(ReplyWriter& out, const IniFile& scratch, const IniFile& settings) {
  const LinkSettings links = LoadLinkSettings(settings, false);
  if (auto load = CurrentDispatcherJobs().loadReserveList) load();
  const ReserveSnapshot lists = CurrentReserveLists();
  // The scratch document has no normalise groups of its own: the user's apply.
  const SearchCondition condition = ReadSearchCondition(scratch, kScratchSection, SearchNormalizeList(settings));
  const std::vector<SearchHit> hits = RunSearchCondition(condition, 0, LocalNowTicks());
  WriteSearchHitHead(out, hits.size());
  for (SearchHit hit : hits) {
    const EpgEvent* event = FindHitEvent(hit);
    if (event == nullptr) continue;
    WriteSearchHitRow(out, hit, *event, links, ReserveColour(*lists, hit));
  }
  SendPageText(out, "</tbody></TABLE>\n");
}

}  // namespace

int ServeLineSearchPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  IniFile scratch;
  if (IsSettingsSave(params)) StorePostedSearch(scratch, params);
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>検索</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  SendPageText(out, "<A HREF='?%s'>戻る</A>", MakeCarryOverQuery(params).c_str());
  SendPageText(out, "<HR>\n");
  WriteSearchForm(out, params, scratch);
  WriteHits(out, scratch, settings);
  SendPageText(out, "</BODY></HTML>\n");
  return 1;
}

}  // namespace plimod
