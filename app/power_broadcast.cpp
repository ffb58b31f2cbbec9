#include "app/power_broadcast.h"

#include "platform/window_messages.h"

namespace plimod {

namespace {

const char* EventLine(std::uintptr_t event) {
  switch (event) {
    case kPowerQuerySuspend: return "休止状態移行問い合わせ\n";
    case kPowerQueryStandby: return "PBT_APMQUERYSTANDBY\n";
    case kPowerQuerySuspendFailed: return "休止状態移行が拒否されました\n";
    case kPowerQueryStandbyFailed: return "PBT_APMQUERYSTANDBYFAILED\n";
    case kPowerSuspend: return "休止状態へ移行します\n";
    case kPowerStandby: return "PBT_APMSTANDBY\n";
    case kPowerResumeSuspend: return "休止状態から復帰\n";
    case kPowerResumeStandby: return "PBT_APMRESUMESTANDBY\n";
    default: return nullptr;
  }
}

}  // namespace

PowerAnswer AnswerPowerEvent(std::uintptr_t event, const std::function<bool()>& isRecordingBusy) {
  PowerAnswer answer{{}, kPowerQueryAllow};
  if (const char* line = EventLine(event)) answer.logLines.push_back(line);
  bool query = event == kPowerQuerySuspend || event == kPowerQueryStandby;
  if (query && isRecordingBusy && isRecordingBusy()) {
    answer.logLines.push_back("EpgDataCap_Bon起動中か予約録画前なので拒否します\n");
    answer.result = kPowerQueryDeny;
  }
  return answer;
}

}  // namespace plimod
