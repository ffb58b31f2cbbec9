#pragma once
// Recorder windows that follow a script: windows that show up only after a
// number of look-ups, that close at once, later or never, and that remember
// the close requests and clicks they got. Installed with UseRecorderWindows;
// the test keeps a pointer to drive and inspect it.

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/recorder_windows.h"

namespace plimod::test {

struct ScriptedWindow {
  std::wstring title;
  std::vector<RecorderChildWindow> children{};
  // Selected texts of the combo boxes among the children, by child id.
  std::map<RecorderWindowId, std::wstring> comboTexts{};
  // Look-ups of its title that miss it before it is found.
  int appearsAfterLookups = 0;
  // Whether a close request is taken (a hung window does not take it).
  bool takesCloseRequest = true;
  // Look-ups after a taken close request before it is gone; -1: never.
  int closesAfterLookups = 0;
};

struct ScriptedClick {
  RecorderWindowId control = 0;
  int x = 0;
  int y = 0;
};

class ScriptedRecorderWindows final : public RecorderWindows {
 public:
  // Adds a window and returns its id; child ids are assigned when 0.
  RecorderWindowId Add(ScriptedWindow window);
  void Remove(RecorderWindowId id);

  std::vector<RecorderWindowId> FindTopLevel(std::wstring_view title) override;
  std::vector<RecorderChildWindow> Children(RecorderWindowId window) override;
  std::optional<std::wstring> ComboSelectedText(RecorderWindowId combo) override;
  bool RequestClose(RecorderWindowId window, std::uint32_t timeoutMs) override;
  bool PostClick(RecorderWindowId control, int x, int y) override;

  int Lookups(const std::wstring& title) const;
  int CloseRequests() const;
  std::vector<ScriptedClick> Clicks() const;

 private:
  struct Entry {
    ScriptedWindow window;
    int lookups = 0;
    int lookupsToClose = -1;  // counting down after a taken close request
  };

  mutable std::mutex mutex_;
  std::map<RecorderWindowId, Entry> windows_;
  std::map<std::wstring, int> lookups_;
  int closeRequests_ = 0;
  std::vector<ScriptedClick> clicks_;
  RecorderWindowId nextId_ = 0x10010;
};

}  // namespace plimod::test
