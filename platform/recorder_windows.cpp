#include "platform/recorder_windows.h"

#include <cstdio>
#include <utility>

namespace plimod {
namespace {

// Linux has no recorder programs with windows: nothing is ever found.
class NoRecorderWindows final : public RecorderWindows {
 public:
  std::vector<RecorderWindowId> FindTopLevel(std::wstring_view) override { return {}; }
  std::vector<RecorderChildWindow> Children(RecorderWindowId) override { return {}; }
  std::optional<std::wstring> ComboSelectedText(RecorderWindowId) override {
    return std::nullopt;
  }
  bool RequestClose(RecorderWindowId, std::uint32_t) override { return false; }
  bool PostClick(RecorderWindowId, int, int) override { return false; }
  bool CanSeeWindows() const override { return false; }
};

std::unique_ptr<RecorderWindows>& Current() {
  static std::unique_ptr<RecorderWindows> windows = std::make_unique<NoRecorderWindows>();
  return windows;
}

}  // namespace

std::optional<RecorderWindowId> FindRecorderWindow(RecorderWindows& windows,
                                                   std::wstring_view title) {
  const std::vector<RecorderWindowId> found = windows.FindTopLevel(title);
  if (found.empty()) return std::nullopt;
  return found.front();
}

RecorderWindows& CurrentRecorderWindows() { return *Current(); }

void UseRecorderWindows(std::unique_ptr<RecorderWindows> windows) {
  Current() = windows ? std::move(windows) : std::make_unique<NoRecorderWindows>();
}

std::string RecorderWindowIdText(RecorderWindowId id) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(id));
  return text;
}

}  // namespace plimod
