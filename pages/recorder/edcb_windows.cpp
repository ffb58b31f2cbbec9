#include "pages/recorder/edcb_windows.h"

#include "platform/system_time.h"
#include "platform/text_codec.h"

namespace plimod {
namespace {

constexpr std::wstring_view kWindowTitle = L"EpgDataCap_Bon";
constexpr std::uint32_t kClickWaitMs = 100;

std::optional<EpgDataCapWindow> ReadWindow(RecorderWindows& windows, RecorderWindowId id) {
  EpgDataCapWindow found;
  found.window = id;
  bool udp = false;
  int combos = 0;
  for (const RecorderChildWindow& child : windows.Children(id)) {
    if (!udp && child.text == L"UDP") {
      found.udp = child;
      udp = true;
    } else if (!found.settingsButton && child.text == L"設定") {
      found.settingsButton = child;
    } else if (!found.cancelButton && child.text == L"キャンセル") {
      found.cancelButton = child;
    } else if (!found.scanButton && child.text == L"チャンネルスキャン") {
      found.scanButton = child;
    }
    if (child.className == L"ComboBox" && combos < 2) {
      (combos == 0 ? found.tunerList : found.channelList) = child;
      ++combos;
    }
  }
  if (!udp || combos < 2) return std::nullopt;
  return found;
}

}  // namespace

std::vector<EpgDataCapWindow> CollectEpgDataCapWindows(RecorderWindows& windows) {
  std::vector<EpgDataCapWindow> found;
  for (RecorderWindowId id : windows.FindTopLevel(kWindowTitle)) {
    if (auto window = ReadWindow(windows, id)) found.push_back(*window);
    if (found.size() == kMaxEpgDataCapWindows) break;
  }
  return found;
}

void ClickWindow(RecorderWindows& windows, RecorderWindowId control, int x, int y) {
  windows.PostClick(control, x, y);
  SleepMs(kClickWaitMs);
  SleepMs(kClickWaitMs);
}

std::string ComboText(RecorderWindows& windows, RecorderWindowId combo) {
  std::string text = WideToUtf8String(windows.ComboSelectedText(combo).value_or(L""));
  // One byte of the buffer holds the terminating NUL.
  text.resize(Utf8CutPoint(text, kComboTextMaxBytes - 1));
  return text;
}

}  // namespace plimod
