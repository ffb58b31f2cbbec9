#include "guide/dispatcher.h"

#include <string>
#include <string_view>

#include "epg/epg_busy_flag.h"
#include "epg/mark_switch.h"
#include "guide/command_pages.h"
#include "guide/civil_time.h"
#include "guide/dispatcher_jobs.h"
#include "guide/epg_page/epg_page.h"
#include "guide/page_cookie.h"
#include "guide/page_state.h"
#include "server/carry_over.h"
#include "server/log_page.h"
#include "server/page_reply.h"
#include "server/request_context.h"
#include "settings/settings.h"
#include "util/conversions.h"

namespace plimod {

namespace {

// Polls after the first try before a page gives up on the EPG store.
constexpr int kPagePolls = 9;

enum class CommandKind {
  kPage,            // the registered page
  kPageThenRedirect,  // the registered page; a save (0) redirects
  kEpgReload,
  kLog,
  kRemoteTune,
  kSyoboiUpload,
  kRestart,
};

struct Command {
  std::string_view name;
  CommandKind kind;
  const char* redirect = nullptr;  // "Location:" text in front of the carry-over query
};

constexpr Command kCommands[] = {
    {"epg", CommandKind::kEpgReload},
    {"config", CommandKind::kPageThenRedirect, "Location: /?"},
    {"ignorech", CommandKind::kPageThenRedirect, "Location: /?cmd=config&"},
    {"search", CommandKind::kPage},
    {"edc", CommandKind::kPage},
    {"edc_edit", CommandKind::kPage},
    {"epgtimer", CommandKind::kPage},
    {"edcb", CommandKind::kPage},
    {"iepgch", CommandKind::kPageThenRedirect, "Location: /?"},
    {"chsort", CommandKind::kPage},
    {"autore", CommandKind::kPage},
    {"log", CommandKind::kLog},
    {"linesrch", CommandKind::kPage},
    {"genre", CommandKind::kPage},
    {"edcpattern", CommandKind::kPage},
    {"nrc", CommandKind::kRemoteTune},
    {"syoboup", CommandKind::kSyoboiUpload},
    {"restart", CommandKind::kRestart},
    {"syoboialert", CommandKind::kPage},
};

const Command* FindCommand(std::string_view cmd) {
  for (const Command& command : kCommands) {
    if (command.name == cmd) return &command;
  }
  return nullptr;
}

void WriteBusyAnswer(ReplyWriter& out) {
  SendRawFormat(out, "HTTP/1.0 503 Service Unavailable\n");
  SendRawFormat(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendRawFormat(out, "503 Service Unavailable\n\nEpgデータ読み込み中\n再読込してください");
}

// A page another part of the program provides but has not registered.
int WritePageMissing(ReplyWriter& out, std::string_view what) {
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendPageText(out, "このページはまだ使えません (%.*s)\n", static_cast<int>(what.size()), what.data());
  return 1;
}

int RunCommandPage(ReplyWriter& out, const Command& command, RequestParameters& params) {
  CommandPage page = FindCommandPage(command.name);
  if (!page) return WritePageMissing(out, command.name);
  return page(out, params, Settings());
}

void Redirect(ReplyWriter& out, const char* location, const RequestParameters& params) {
  SendPageText(out, "%s%s\n", location, MakeCarryOverQuery(params).c_str());
  SendPageText(out, "\n");
}

void RunCommand(ReplyWriter& out, const Command& command, RequestParameters& params) {
  switch (command.kind) {
    case CommandKind::kPage: RunCommandPage(out, command, params); break;
    case CommandKind::kPageThenRedirect:
      if (RunCommandPage(out, command, params) != 0) break;
      if (command.name == "config") {
        if (auto rearm = CurrentDispatcherJobs().setSyoboiLoadTimer) rearm();
      }
      Redirect(out, command.redirect, params);
      break;
    case CommandKind::kEpgReload: RunEpgReloadCommand(out); break;
    case CommandKind::kLog: ServeLogPage(out); break;
    case CommandKind::kRemoteTune: RunRemoteTuneCommand(out, params, Settings()); break;
    case CommandKind::kSyoboiUpload: RunSyoboiUploadCommand(out); break;
    case CommandKind::kRestart: break;  // the client sees the connection close
  }
}

// An `xid` is the event id in four hex digits followed by the service key.
void ExpandXid(RequestParameters& params) {
  const std::string xid = params.Value("xid");
  if (xid.empty()) return;
  params["eid"] = xid.substr(0, 4);
  params["sid"] = xid.size() > 4 ? xid.substr(4) : std::string();
}

int ServeProgramDetail(ReplyWriter& out, RequestParameters& params) {
  ProgramDetailPage page = CurrentProgramDetailPage();
  if (!page) return WritePageMissing(out, "detail");
  return page(out, params, ParseHex64(params.Value("sid")), ParseHex32(params.Value("eid")));
}

int ServeProgrammeTable(ReplyWriter& out, RequestParameters& params) {
  if (auto load = CurrentDispatcherJobs().loadReserveList) load();
  const PageMode mode = PageModeOf(params.Value("mode"));
  ApplyCookieDefaults(params, RequestEnv("HTTP_COOKIE"), mode);
  PageView view = ReadViewParameters(params, mode, LocalNow());
  CurrentPageState() = view.state;
  MarkSwitch = view.mark;
  view.cookieLine = CookieLine(mode, view.state, NowTime());
  return ServeEpgPage(out, params, Settings(), view);
}

}  // namespace

int HandleRequest(ReplyWriter& out) {
  const PageEpgBusyHold hold(kPagePolls);
  if (!hold.held()) {
    WriteBusyAnswer(out);
    return 0;
  }
  return DispatchRequest(out);
}

int DispatchRequest(ReplyWriter& out) {
  RequestParameters& params = CurrentParameters();
  ExpandXid(params);
  if (const Command* command = FindCommand(params.Value("cmd"))) {
    RunCommand(out, *command, params);
    return 0;
  }
  if (!params.Value("sid").empty() && !params.Value("eid").empty()) {
    ServeProgramDetail(out, params);
    return 0;
  }
  ServeProgrammeTable(out, params);
  return 0;
}

}  // namespace plimod
