#include "services/syoboi_check_page.h"

#include <cinttypes>

#include "guide/weekday_mark.h"
#include "platform/system_time.h"
#include "server/carry_over.h"
#include "server/form_fields.h"
#include "server/page_helpers.h"
#include "server/page_reply.h"
#include "server/request_token.h"
#include "server/settings_save_reply.h"
#include "services/syoboi_alert.h"
#include "services/syoboi_fetch.h"
#include "util/conversions.h"
#include "util/keys.h"
#include "util/page_text.h"

namespace plimod {
namespace {

constexpr std::size_t kWordChars = 1023;

void SavePostedWord(RequestParameters& params, IniFile& settings) {
  const std::wstring key =
      SyoboiAlertWordKey(StringToInt(params.Value("tid")), ParseHex64(params.Value("svkey")));
  const std::wstring word = DecodeUtf8(params.Value("word"), kWordChars);
  if (word.empty()) {
    settings.DeleteKey(L"SYOBOI_ALERT_WORD", key.c_str());
  } else {
    settings.SetString(L"SYOBOI_ALERT_WORD", key.c_str(), word);
  }
}

void WriteHead(ReplyWriter& out, const RequestParameters& params, const SyoboiSchedule& schedule) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<HTML><HEAD>\n\n<TITLE>しょぼかるデータ剥離チェック</TITLE>\n");
  SendPageText(out, "</HEAD><BODY>\n");
  SendPageText(out, "<A HREF='?%s'>戻る</A>", MakeCarryOverQuery(params).c_str());
  SendPageText(out, "<HR>\n");
  if (!schedule.unknownChannels.empty()) {
    SendPageText(out, "不明チャンネル<BR>\n");
    for (const std::wstring& name : schedule.unknownChannels) SendPageText(out, "%s　", PageText(name).c_str());
    SendPageText(out, "<BR>\n");
  }
  SendPageText(out, "<TABLE cellpadding=2 cellspacing=2><thead>\n");
  SendPageText(out, "<tr><td>時間</td><td>CH</td><td>タイトル</td><td>epg対応番組</td><td>検索語</td></tr>");
  SendPageText(out, "</thead><tbody>\n");
}

void WriteProgramColumns(ReplyWriter& out, const SyoboiProgram& program) {
  const SystemTime& t = program.start;
  SendPageText(out, "<td>%02d/%02d%s<BR>%02d:%02d</td>", t.wMonth, t.wDay,
               WeekdayMark(DayOfWeek(t.wYear, t.wMonth, t.wDay)), t.wHour, t.wMinute);
  SendPageText(out, "<td>%s</td>", PageText(program.channelName).c_str());
  SendPageText(out, "<td><a href='http://%s/tid/%d#%d' target=_blank>%s</a><BR>\n", kSyoboiHost, program.tid,
               program.pid, PageText(program.title).c_str());
  SendPageText(out, "<span style='font-size: 10px;'>#%02d %s</span> <span style='font-size: 10px;'>%s</span></td>",
               program.count, PageText(program.subTitle).c_str(), PageText(program.progComment).c_str());
}

void WriteEventLink(ReplyWriter& out, const EpgEvent& event) {
  SendPageText(out, "<a href='?sid=%" PRIx64 "&eid=%x' target=_blank>%s</a>",
               ServiceKey(event.originalNetworkId, event.transportStreamId, event.serviceId), event.eventId,
               PageText(event.Title()).c_str());
}

void WriteEpgColumn(ReplyWriter& out, const IniFile& settings, const SyoboiSchedule& schedule,
                    std::int64_t start, const SyoboiProgram& program, const std::wstring& word) {
  if (word.empty()) {
    const std::optional<EpgEvent> event = FindEpgEventByStart(start, program.serviceKey);
    SendPageText(out, "<td>%s</td>", event ? PageText(event->Title()).c_str() : "対応番組無し ");
    return;
  }
  std::optional<EpgEvent> found;
  const SyoboiCheckResult result =
      CheckSyoboiProgramAgainstEpg(schedule, start, program, PrepareSyoboiAlertWord(settings, word), found);
  switch (result) {
    case kSyoboiNoEpgProgram: SendPageText(out, "<td bgcolor=#FFFF00>一致番組無し </td>"); return;
    case kSyoboiMoreInEpg: SendPageText(out, "<td bgcolor=#FFFF00>"); break;
    case kSyoboiStartDiffers: SendPageText(out, "<td bgcolor=#FF8080>"); break;
    default: SendPageText(out, "<td>"); break;
  }
  WriteEventLink(out, *found);
  if (result == kSyoboiStartDiffers) {
    const SystemTime& t = found->start;
    SendPageText(out, "<br><span style='font-size: 10px;'>%02d/%02d%s %02d:%02d:%02d</span>", t.wMonth, t.wDay,
                 WeekdayMark(DayOfWeek(t.wYear, t.wMonth, t.wDay)), t.wHour, t.wMinute, t.wSecond);
  }
  SendPageText(out, "</td>");
}

// The form fields that make a post a save: the full-width blank that marks
// the form's encoding and the request token.
void WriteWordColumn(ReplyWriter& out, const SyoboiProgram& program, const std::wstring& word) {
  SendPageText(out, "<td>");
  SendPageText(out, "<input type=hidden name=spc value='　'>\n");
  SendPageText(out, "<input type=hidden name=token value='%s'>\n", GetRequestToken().c_str());
  WriteHiddenField(out, "cmd");
  WriteHiddenField(out, "page");
  SendPageText(out, "<input type=hidden name=tid value='%d'>", program.tid);
  SendPageText(out, "<input type=hidden name=svkey value='%x'>",
               static_cast<unsigned>(program.serviceKey & 0xFFFF'FFFFu));
  SendPageText(out, "<input name='word' value='%s' size=16>", PageText(word).c_str());
  SendPageText(out, "<input type=submit value='適用'>");
  SendPageText(out, "</td>\n");
}

}  // namespace

int ServeSyoboiCheckPage(ReplyWriter& out, RequestParameters& params, IniFile& settings) {
  if (!params.Value("spc").empty() && CheckRequestToken(params.Value("token"))) {
    SavePostedWord(params, settings);
    if (!SaveSettingsOrAnswer(out, settings)) return 1;
  }
  const auto schedule = CurrentSyoboiSchedule();
  WriteHead(out, params, *schedule);
  int row = 0;
  ForEachAlertProgram(*schedule, LocalNowTicks(), [&](std::int64_t start, const SyoboiProgram& program) {
    ++row;
    const std::wstring word = ReadSyoboiAlertWord(settings, program.tid, program.serviceKey);
    SendPageText(out, "<form method=post action='/' style='margin:0px;'><tr%s>",
                 row % 2 == 0 ? " bgcolor=#f0f0f0" : "");
    WriteProgramColumns(out, program);
    WriteEpgColumn(out, settings, *schedule, start, program, word);
    WriteWordColumn(out, program, word);
    SendPageText(out, "</tr></form>\n");
  });
  SendPageText(out, "</tbody></table>\n");
  SendPageText(out, "</BODY></HTML>\n");
  return 1;
}

}  // namespace plimod
