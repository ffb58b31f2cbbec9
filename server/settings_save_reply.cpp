#include "server/settings_save_reply.h"

#include "server/page_reply.h"
#include "settings/settings.h"
#include "util/conversions.h"

namespace plimod {

bool SaveSettingsOrAnswer(ReplyWriter& out, IniFile& settings) {
  if (SaveSettings(settings)) return true;
  WriteSettingsSaveFailure(out, settings);
  return false;
}

void WriteSettingsSaveFailure(ReplyWriter& out, const IniFile& settings) {
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendPageText(out, "設定ファイルを保存できませんでした\n");
  // The file that could not be read at start is kept as it is.
  if (settings.Path().empty() && !settings.UnreadablePath().empty()) {
    SendPageText(out, "起動時に読み込めなかったため、上書きしません\n");
  }
  SendPageText(out, "%s\n", WideToUtf8(SettingsFileName(settings)).c_str());
}

}  // namespace plimod
