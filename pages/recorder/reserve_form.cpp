#include "pages/recorder/reserve_form.h"

#include "epg/epg_index.h"
#include "pages/recorder/edcb_pattern_page.h"
#include "recorder/options/rec_option_fields.h"
#include "recorder/options/rec_options.h"
#include "recorder/base/recorder_text.h"
#include "recorder/titles/reservation_title.h"
#include "recorder/titles/title_template.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "server/text_with_br.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {

namespace {

constexpr std::size_t kTemplateTitleChars = 80;

}  // namespace

std::uint64_t ReserveTarget::ProgramKey() const {
  return plimod::ProgramKey(event.eventId, serviceKey);
}

std::optional<ReserveTarget> FindReserveTarget(const RequestParameters& params) {
  const std::uint64_t serviceKey = ParseHex64(params.Value("sid"));
  const auto eventId = static_cast<std::uint16_t>(ParseHex64(params.Value("eid")) & 0xFFFF);
  const auto service = EpgEventIndex->find(serviceKey);
  if (service == EpgEventIndex->end()) return std::nullopt;
  const auto event = service->second.find(eventId);
  const auto station = ServiceMap.find(serviceKey);
  if (event == service->second.end() || station == ServiceMap.end()) return std::nullopt;
  return ReserveTarget{serviceKey, event->second, station->second};
}

void BindReserveSection(IniSection& section, const RequestParameters& params) {
  const std::string pattern = params.Value("pt");
  if (!pattern.empty() && section.Select(PatternSectionName(StringToInt(pattern)).c_str(), false)) return;
  section.Select(kDefaultRecOptionSection, false);
}

std::wstring DefaultReserveTitle(const IniSection& section, const EpgEvent& event) {
  int type = 0;
  section.GetInt(nullptr, L"ADDEXPLAN", type);
  section.GetInt(nullptr, L"TITLETYPE", type);
  if (type == 1) return MakeReservationTitle(event);
  if (type == 2) {
    int counter = 1;
    std::wstring title =
        expandTitleTemplate(section.GetString(nullptr, L"TITLECOMMAND").value_or(L""), counter, event);
    RemoveControlChars(title, kTemplateTitleChars);
    return title;
  }
  return event.Title();
}

void PrefillReserveForm(RequestParameters& params, const IniSection& section, const ReserveTarget& target) {
  const EpgEvent& event = target.event;
  params["edc_title"] = WideToUtf8(DefaultReserveTitle(section, event));
  params["edc_station"] = WideToUtf8(target.station);
  params["edc_Y"] = IntToString(event.start.wYear);
  params["edc_M"] = IntToString(event.start.wMonth);
  params["edc_D"] = IntToString(event.start.wDay);
  params["edc_h"] = IntToString(event.start.wHour);
  params["edc_m"] = IntToString(event.start.wMinute);
  params["edc_s"] = IntToString(event.start.wSecond);
  const auto duration = static_cast<int>(event.durationSeconds);
  params["edc_ttl_h"] = IntToString(duration / 3600);
  params["edc_ttl_m"] = IntToString(duration / 60 % 60);
  params["edc_ttl_s"] = IntToString(duration % 60);
  LoadRecOptions(params, section);
}

void WriteReserveEditForm(ReplyWriter& out, RequestParameters& params, const IniSection& section) {
  if (params.Value("edc_title").empty()) {
    const auto target = FindReserveTarget(params);
    if (!target) return;
    PrefillReserveForm(params, section, *target);
  }
  const auto number = [&params](const char* name) { return StringToInt(params.Value(name)); };
  SendPageText(out, "EpgTimer_Bon予約設定<BR>\n");
  SendPageText(out, "<form method=post action='/'>\n");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
  for (const char* name : {"cmd", "sid", "eid", "edcid"}) WriteHiddenField(out, name);
  WriteCarryOverHiddenFields(params, out);
  SendPageText(out, "番組名 <input name=edc_title value='%s' size=120><BR>\n", GetFormParam("edc_title").c_str());
  SendPageText(out, "局名　 <input name=edc_station value='%s' size=40><BR>\n", GetFormParam("edc_station").c_str());
  SendPageText(out,
               "日付　 <input name=edc_Y value='%d' size=4>/<input name=edc_M value='%d' size=2>/<input "
               "name=edc_D value='%d' size=2><BR>\n",
               number("edc_Y"), number("edc_M"), number("edc_D"));
  SendPageText(out,
               "開始時間 <input name=edc_h value='%d' size=2>:<input name=edc_m value='%d' size=2>:<input "
               "name=edc_s value='%d' size=2><BR>\n",
               number("edc_h"), number("edc_m"), number("edc_s"));
  SendPageText(out,
               "　総時間 <input name=edc_ttl_h value='%d' size=2>:<input name=edc_ttl_m value='%d' "
               "size=2>:<input name=edc_ttl_s value='%d' size=2><BR>\n",
               number("edc_ttl_h"), number("edc_ttl_m"), number("edc_ttl_s"));
  SendPageText(out, "<BR>\n");
  WriteRecOptionFields(out, params, section);
  SendPageText(out, "<BR><input type=submit value='submit'>\n");
  SendPageText(out, "</form>\n");
}

void WriteDefaultReserveEditForm(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  IniSection section(settings);
  section.Select(kDefaultRecOptionSection, true);
  WriteReserveEditForm(out, params, section);
}

void WriteNewReserveForm(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  SendPageText(out, "新規予約<BR>\n");
  params["cmd"] = "edc";
  WriteDefaultReserveEditForm(out, params, settings);
}

void WriteReservePageHead(ReplyWriter& out) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>EpgTimer_Bon予約設定</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
}

void WriteReservePlainText(ReplyWriter& out, const char* text) {
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendPageText(out, "%s", text);
}

void WriteProgrammeNotFound(ReplyWriter& out) {
  SendRawFormat(out, "HTTP/1.0 404 Not Found\n");
  SendRawFormat(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendRawFormat(out, "番組が見つかりません\n");
}

void WriteReserveEventTexts(ReplyWriter& out, const EpgEvent& event) {
  SendPageText(out, "番組名：%s<BR>\n", PageText(event.Title()).c_str());
  SendPageText(out, "説明：%s<BR>\n", PageText(event.ShortText()).c_str());
  SendPageText(out, "詳細：<BR>\n");
  WriteTextWithBr(out, PageText(event.ExtendedText()));
}

}  // namespace plimod
