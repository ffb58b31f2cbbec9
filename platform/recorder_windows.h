#pragma once
// The windows of the outside recorder programs, as the recorder link sees
// them: top-level windows found by their exact title, their child controls
// (class, text, disabled and check state), a combo box's selected text, a
// bounded close request and a posted click. Window ids are opaque numbers
// that pages print in hexadecimal and read back from a request.
//
// No such programs run on Linux, so the implementation in use finds no
// windows and says it cannot see any: the pages take their "not running"
// branches and nothing waits for a window. Tests install a scripted
// implementation.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plimod {

using RecorderWindowId = std::uint32_t;

struct RecorderChildWindow {
  RecorderWindowId id = 0;
  std::wstring className;
  std::wstring text;
  bool disabled = false;
  int checkState = 0;  // of a check box: 0 off, 1 on
};

class RecorderWindows {
 public:
  virtual ~RecorderWindows() = default;

  // Visible top-level windows titled exactly `title`, in enumeration order.
  virtual std::vector<RecorderWindowId> FindTopLevel(std::wstring_view title) = 0;
  // The window's child controls in their order; empty for an unknown window.
  virtual std::vector<RecorderChildWindow> Children(RecorderWindowId window) = 0;
  // The selected item's text of a combo box; nothing when none is selected.
  virtual std::optional<std::wstring> ComboSelectedText(RecorderWindowId combo) = 0;
  // Asks the window to close and waits at most `timeoutMs` for it to take
  // the request. True when it did; the window may still be closing.
  virtual bool RequestClose(RecorderWindowId window, std::uint32_t timeoutMs) = 0;
  // Posts a left click at the control's client point; false when unknown.
  virtual bool PostClick(RecorderWindowId control, int x, int y) = 0;
  // False when this implementation cannot see windows at all: then a
  // window's absence says nothing, and nobody should wait for one to
  // appear or go.
  virtual bool CanSeeWindows() const { return true; }
};

// The first visible top-level window titled `title`.
std::optional<RecorderWindowId> FindRecorderWindow(RecorderWindows& windows,
                                                   std::wstring_view title);

// The implementation in use: one that finds no windows until another is set.
RecorderWindows& CurrentRecorderWindows();
// Makes `windows` current (null: back to the one that finds none). Called
// at start-up or by tests, while no recorder operation runs.
void UseRecorderWindows(std::unique_ptr<RecorderWindows> windows);

// The id as pages write it ("%x").
std::string RecorderWindowIdText(RecorderWindowId id);

}  // namespace plimod
