#include "app/sleep_guard.h"

#include <atomic>

#include "platform/main_window.h"
#include "platform/sync.h"
#include "recorder/options/edcb_patterns.h"
#include "server/connection_activity.h"
#include "settings/settings.h"
#include "util/log.h"

namespace plimod {

namespace {

constexpr std::uint32_t kCheckerStopMs = 2'000;

RecordingSleepGuard& Guard() {
  static RecordingSleepGuard guard;
  return guard;
}

struct BusyChecker {
  std::atomic<bool> asked{false};
  StoppableThread thread;
};

BusyChecker& Checker() {
  static BusyChecker checker;
  return checker;
}

void AnswerBusyChecks(StopSignal& stop) {
  while (!stop.WaitForStop(kSleepGuardPeriodMs)) {
    if (!Checker().asked.exchange(false)) continue;
    const bool busy = IsRecordingBusy(Settings());
    if (stop.StopRequested()) return;
    PostMainWindowMessage(kSleepGuardAnswerMessage, busy ? 1 : 0);
  }
}

}  // namespace

std::vector<std::string> RecordingSleepGuard::Update(bool busy) {
  std::vector<std::string> lines;
  if (!busy) {
    inhibitor_.Release();
    return lines;
  }
  if (inhibitor_.Held()) return lines;
  switch (inhibitor_.Hold("plimod", "録画中")) {
    case InhibitResult::kHeld: lines.push_back("EpgDataCap_Bon起動中か予約録画前なので拒否します\n"); break;
    case InhibitResult::kNoBus:
      if (!failureLogged_) lines.push_back("システムバスがないためスリープを抑止できません\n");
      failureLogged_ = true;
      break;
    case InhibitResult::kRefused:
      if (!failureLogged_) lines.push_back("スリープの抑止を拒否されました\n");
      failureLogged_ = true;
      break;
  }
  return lines;
}

void RecordingSleepGuard::KeepAwakeForClients(bool served) {
  if (!served) {
    idle_.Release();
    return;
  }
  if (!idle_.Held()) idle_.Hold("plimod", "ページ表示中");
}

void StartSleepGuard(MainLoop& loop) {
  loop.SetTimer(kSleepGuardTimer, kSleepGuardPeriodMs);
  Checker().thread.Start(AnswerBusyChecks);
}

void StopSleepGuard(MainLoop& loop) {
  loop.KillTimer(kSleepGuardTimer);
  Checker().thread.Stop(kCheckerStopMs);
  Checker().asked = false;
  Guard().Update(false);
  Guard().KeepAwakeForClients(false);
}

void RunSleepGuard() {
  static std::uint64_t connectionsSeen = 0;
  const std::uint64_t connections = ConnectionsAccepted();
  Guard().KeepAwakeForClients(connections != connectionsSeen);
  connectionsSeen = connections;
  if (!Checker().asked.exchange(true)) Checker().thread.Wake();
}

void ApplySleepGuardAnswer(bool busy) {
  for (const std::string& line : Guard().Update(busy)) LogWriteNoPost("%s", line.c_str());
}

}  // namespace plimod
