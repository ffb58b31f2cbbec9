#include "pages/forms/condition_fields.h"

#include <charconv>
#include <string_view>

#include "epg/channel_order.h"
#include "epg/epg_index.h"
#include "epg/genre_names.h"
#include "pages/forms/settings_form.h"
#include "platform/text_codec.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "util/keys.h"
#include "util/page_text.h"
#include "util/text_clean.h"

namespace plimod {

namespace {

constexpr std::size_t kSummaryUnits = 40;
constexpr std::wstring_view kDayLetters = L"日月火水木金土";
constexpr const char* kBandTitles[] = {"地上波", "BS", "CS", "不明"};
constexpr const char* kModeNames[] = {"非対象 ", "すべて （チェックしたもの無効） ", "チェックしたもののみ "};

std::wstring BandKey(const wchar_t* format, int band) {
  wchar_t key[16];
  std::swprintf(key, 16, format, static_cast<wchar_t>(kBandLetters[band]));
  return key;
}

std::wstring PostedWord(const RequestParameters& params, const std::string& name) {
  std::wstring word = PostedText(params, name);
  ReplaceChar(word, L'\'', L'\u2019');
  return word;
}


std::wstring PostedWeek(const RequestParameters& params) {
  std::wstring week;
  for (std::size_t day = 0; day < kDayLetters.size(); ++day) {
    if (PostedCheck(params, "sh_week_" + std::to_string(day))) week += kDayLetters[day];
  }
  return week;
}

std::wstring PostedChannels(const RequestParameters& params, int band) {
  std::wstring list;
  for (std::uint64_t key : ChannelsInDisplayOrder(BandMaskOfIndex(band))) {
    std::string text;
    FormatChannelKey(key, &text, nullptr);
    if (!PostedCheck(params, text)) continue;
    if (!list.empty()) list += L' ';
    list += Utf8ToWide(text);
  }
  return list;
}

bool Contains(const std::optional<std::wstring>& text, std::wstring_view part) {
  return text && text->find(part) != std::wstring::npos;
}

void WriteGenreBoxes(ReplyWriter& out, const ConditionPlace& place) {
  const auto genre = place.Get(L"GENRE");
  SendPageText(out, "ジャンル:<br>\n");
  for (int number = 0; number < kGenreNameCount; ++number) {
    SendPageText(out, "　<input type=checkbox name='sh_genre' value='%d'%s>", number,
                 CheckedAttr(Contains(genre, GenreName(number))));
    SendPageText(out, "%s\n", WideToUtf8String(GenreName(number)).c_str());
    if (number == 5 || number == 11) SendPageText(out, "<BR>\n");
  }
}

void WriteTargetBoxes(ReplyWriter& out, const ConditionPlace& place) {
  auto ticked = [&place](const wchar_t* key, int missing) { return CheckedAttrIf(place.GetInt(key, missing)); };
  SendPageText(out, "検索対象:<BR>　<input type=checkbox name='sh_title' value=1%s>タイトル ",
               ticked(L"SEARCH_TITLE", 1));
  SendPageText(out, "　<input type=checkbox name='sh_explan' value=1%s>説明 ", ticked(L"SEARCH_EXPLANATION", 0));
  SendPageText(out, "　<input type=checkbox name='sh_detail' value=1%s>詳細<BR>\n", ticked(L"SEARCH_DETAIL", 0));
}

void WriteDayAndTime(ReplyWriter& out, const ConditionPlace& place) {
  const auto week = place.Get(L"WEEK");
  SendPageText(out, "<BR>曜日 ");
  for (std::size_t day = 0; day < kDayLetters.size(); ++day) {
    // A missing WEEK means every day; a stored empty one means none.
    const bool ticked = !week || week->find(kDayLetters[day]) != std::wstring::npos;
    SendPageText(out, "<input type=checkbox name='sh_week_%zu' value=1%s>%s", day, CheckedAttr(ticked),
                 WideToUtf8String(kDayLetters.substr(day, 1)).c_str());
  }
  int hours[2] = {0, 23};
  place.document->GetIntList(place.section.c_str(), L"TIME", hours);
  SendPageText(out, "　開始時間 ");
  SendPageText(out, "<input type=text name='sh_time_s' value='%d' size=3>:00", hours[0]);
  SendPageText(out, "～<input type=text name='sh_time_e' value='%d' size=3>:59<BR>\n", hours[1]);
  SendPageText(out, "<BR>\n");
}

void WriteBandRow(ReplyWriter& out, const ConditionPlace& place, int band) {
  const char letter = kBandLetters[band];
  const int mode = place.GetInt(BandKey(L"CH_%c_MODE", band).c_str(), 1);
  const auto list = place.Get(BandKey(L"CH_%c_LIST", band).c_str());
  SendPageText(out, "%s　\n", kBandTitles[band]);
  SendPageText(out, "<select name='sh_ch_%c_mode'>", letter);
  for (int value = 0; value < 3; ++value) {
    SendPageText(out, "<option value='%d'%s>%s</option>", value, SelectedAttr(mode == value), kModeNames[value]);
  }
  SendPageText(out, "</select><BR>\n");
  for (std::uint64_t key : ChannelsInDisplayOrder(BandMaskOfIndex(band))) {
    std::wstring text;
    FormatChannelKey(key, nullptr, &text);
    const auto name = ServiceMap.find(key);
    SendPageText(out, "<NOBR>　<input type=checkbox name='%s' value=1%s>%s</NOBR>\n",
                 WideToUtf8String(text).c_str(), CheckedAttr(Contains(list, text)),
                 name == ServiceMap.end() ? "" : PageText(name->second).c_str());
  }
  SendPageText(out, "<BR>\n");
}

}  // namespace

std::wstring PostedGenres(std::string_view posted) {
  std::wstring names;
  std::size_t at = 0;
  while (at < posted.size() && posted[at] >= '0' && posted[at] <= '9') {
    int number = -1;
    const auto [end, error] = std::from_chars(posted.data() + at, posted.data() + posted.size(), number);
    at = static_cast<std::size_t>(end - posted.data());
    const std::wstring_view name = error == std::errc() ? GenreName(number) : std::wstring_view();
    if (!name.empty()) {
      if (!names.empty()) names += L' ';
      names += name;
    }
    if (at < posted.size() && posted[at] == '\t') ++at;
  }
  return names;
}

void StoreConditionFields(IniFile& document, const std::wstring& section, const RequestParameters& params,
                          int bands) {
  const wchar_t* name = section.c_str();
  document.SetInt(name, L"ENABLE", PostedCheck(params, "sh_enable"));
  document.SetString(name, L"WORD", PostedWord(params, "sh_word"));
  document.SetString(name, L"EXCLUSIVEWORD", PostedWord(params, "sh_exclusive"));
  document.SetString(name, L"SEARCH_TITLE", PostedCheck(params, "sh_title") ? L"1" : L"0");
  document.SetString(name, L"SEARCH_EXPLANATION", PostedCheck(params, "sh_explan") ? L"1" : L"0");
  document.SetString(name, L"SEARCH_DETAIL", PostedCheck(params, "sh_detail") ? L"1" : L"0");
  document.SetString(name, L"GENRE", PostedGenres(params.Value("sh_genre")));
  document.SetString(name, L"WEEK", PostedWeek(params));
  const int hours[2] = {StringToInt(params.Value("sh_time_s")), StringToInt(params.Value("sh_time_e"))};
  document.SetIntList(name, L"TIME", hours);
  for (int band = 0; band < bands; ++band) {
    const std::string field = std::string("sh_ch_") + kBandLetters[band] + "_mode";
    document.SetInt(name, BandKey(L"CH_%c_MODE", band).c_str(), StringToInt(params.Value(field)));
    document.SetString(name, BandKey(L"CH_%c_LIST", band).c_str(), PostedChannels(params, band));
  }
}

void WriteConditionFields(ReplyWriter& out, const ConditionPlace& place, const ConditionFormOptions& options) {
  if (options.enableRow) {
    SendPageText(out, "有効:<input type=checkbox name='sh_enable' value=1%s><BR><BR>\n",
                 CheckedAttrIf(place.GetInt(L"ENABLE", options.enableWhenMissing)));
  }
  SendPageText(out, "検索語:<BR>　<input type=text name='sh_word' value='%s' size=120><BR>\n",
               PageText(place.Get(L"WORD").value_or(L"")).c_str());
  WriteGenreBoxes(out, place);
  SendPageText(out, "除外語:<BR>　<input type=text name='sh_exclusive' value='%s' size=120><BR>\n",
               PageText(place.Get(L"EXCLUSIVEWORD").value_or(L"")).c_str());
  SendPageText(out, "<BR>\n");
  WriteTargetBoxes(out, place);
  WriteDayAndTime(out, place);
  SendPageText(out, "検索対象チャンネル<BR>\n");
  for (int band = 0; band < options.bands; ++band) WriteBandRow(out, place, band);
}

std::wstring CutWithEllipsis(const std::wstring& text, std::size_t units) {
  std::size_t used = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    used += static_cast<std::uint32_t>(text[i]) > 0xFFFF ? 2 : 1;
    if (used > units) return text.substr(0, i) + L"...";
  }
  return text;
}

std::wstring ConditionSummary(const ConditionPlace& place) {
  return CutWithEllipsis(place.Get(L"WORD").value_or(L""), kSummaryUnits) + L"　 / " +
         CutWithEllipsis(place.Get(L"GENRE").value_or(L""), kSummaryUnits);
}

void PrefillCondition(IniFile& local, const IniFile& settings, std::wstring word, std::uint64_t serviceKey,
                      int bands) {
  if (auto list = settings.GetString(L"SYSTEM", L"NORMALIZELIST")) local.SetString(L"SYSTEM", L"NORMALIZELIST", *list);
  local.SetInt(kPrefillSection, L"ENABLE", 1);
  ReplaceChar(word, L' ', L'&');
  local.SetString(kPrefillSection, L"WORD", word);
  const int ownBand = BandIndexOf(serviceKey);
  for (int band = 0; band < bands; ++band) {
    const bool own = band == ownBand;
    local.SetInt(kPrefillSection, BandKey(L"CH_%c_MODE", band).c_str(), own ? 2 : 0);
    if (own) local.SetString(kPrefillSection, BandKey(L"CH_%c_LIST", band).c_str(), ChannelKeyText(serviceKey));
  }
}

}  // namespace plimod
