#pragma once
// The running recorder instances the status page lists: each window with
// the child controls the page reads and clicks, found through the
// recorder-windows interface.

#include <optional>
#include <string>
#include <vector>

#include "platform/recorder_windows.h"

namespace plimod {

inline constexpr std::size_t kMaxEpgDataCapWindows = 32;
// Tuner and channel texts are shown through buffers of this many bytes.
inline constexpr std::size_t kComboTextMaxBytes = 96;

struct EpgDataCapWindow {
  RecorderWindowId window = 0;
  RecorderChildWindow udp;
  std::optional<RecorderChildWindow> settingsButton;
  RecorderChildWindow tunerList;
  RecorderChildWindow channelList;
  std::optional<RecorderChildWindow> cancelButton;
  std::optional<RecorderChildWindow> scanButton;
};

// The windows that have the UDP check box and both combo boxes, in the
// order found, at most kMaxEpgDataCapWindows.
std::vector<EpgDataCapWindow> CollectEpgDataCapWindows(RecorderWindows& windows);

// A left click at the control's client point, then 100 ms for the
// recorder to take it, as a person's click would.
void ClickWindow(RecorderWindows& windows, RecorderWindowId control, int x, int y);

// The selected text of a combo box in UTF-8, cut on a character boundary
// to what kComboTextMaxBytes holds; "" when nothing is selected.
std::string ComboText(RecorderWindows& windows, RecorderWindowId combo);

}  // namespace plimod
