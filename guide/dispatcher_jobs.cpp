#include "guide/dispatcher_jobs.h"

#include <string>

#include "epg/epg_folder.h"
#include "epg/epg_index.h"
#include "guide/command_pages.h"
#include "platform/main_window.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"
#include "util/conversions.h"

namespace plimod {

namespace {

constexpr const char* kPlainTextHead = "Content-Type: text/plain; charset=utf-8\n\n";
constexpr std::size_t kRemoteFieldMaxBytes = 64;
constexpr const char* kDefaultRemoteAddress = "127.0.0.1:1334";
// Timer 400 of the main window: the delayed automatic calendar upload.
constexpr std::uint32_t kSyoboiUploadTimerId = 400;

// The newest write time as local fields. Before any load the count is 0:
// 1601-01-01 00:00 UTC, shown with today's offset from UTC as it always was
// (the zone database would give 1601 a local mean time instead).
SystemTime NewestWriteTimeForDisplay() {
  if (NewestEpgWriteTime() != 0) return NewestEpgWriteTimeLocal();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return TicksToSystemTime(static_cast<std::int64_t>(local.tm_gmtoff) * kTicksPerSecond).value_or(SystemTime{});
}

std::string ServiceNameForRemote(const RequestParameters& params) {
  const auto it = ServiceMap.find(ParseHex64(params.Value("sid")));
  if (it == ServiceMap.end()) return {};
  std::string name = WideToCp932(it->second);
  name.resize(Cp932CutPoint(name, kRemoteFieldMaxBytes));
  return name;
}

std::string RemoteAddress(const IniFile& settings) {
  std::string address = WideToUtf8String(settings.GetString(L"SYSTEM", L"REMOCON_ADDRESS").value_or(L""));
  address.resize(Utf8CutPoint(address, kRemoteFieldMaxBytes));
  return address.empty() ? kDefaultRemoteAddress : address;
}

bool TuneRemote(const RequestParameters& params, const IniFile& settings) {
  const std::string address = RemoteAddress(settings);
  const std::size_t colon = address.find(':');
  if (colon == std::string::npos) return false;
  const DispatcherJobs jobs = CurrentDispatcherJobs();
  if (!jobs.tuneRemote) return false;
  return jobs.tuneRemote(ServiceNameForRemote(params), address.substr(0, colon), address.substr(colon + 1));
}

}  // namespace

void RunEpgReloadCommand(ReplyWriter& out) {
  const DispatcherJobs jobs = CurrentDispatcherJobs();
  if (jobs.loadEpgFolder) jobs.loadEpgFolder();
  if (jobs.runAutoReserve) jobs.runAutoReserve();
  const SystemTime t = NewestWriteTimeForDisplay();
  SendPageText(out, "%s", kPlainTextHead);
  SendPageText(out, "EPG最終取得日時:%04d/%02d/%02d %2d:%02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
               t.wSecond);
}

void RunRemoteTuneCommand(ReplyWriter& out, const RequestParameters& params, const IniFile& settings) {
  const bool tuned = TuneRemote(params, settings);
  SendPageText(out, "%s", kPlainTextHead);
  SendPageText(out, "%s", tuned ? "成功" : "失敗 ");
}

void RunSyoboiUploadCommand(ReplyWriter& out) {
  KillMainWindowTimer(kSyoboiUploadTimerId);
  const DispatcherJobs jobs = CurrentDispatcherJobs();
  // Nothing to upload answers nothing: the connection just closes.
  if (jobs.uploadSyoboiReserves) jobs.uploadSyoboiReserves(out);
}

}  // namespace plimod
