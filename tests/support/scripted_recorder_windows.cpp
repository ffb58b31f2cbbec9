#include "tests/support/scripted_recorder_windows.h"

#include <utility>

namespace plimod::test {

RecorderWindowId ScriptedRecorderWindows::Add(ScriptedWindow window) {
  std::lock_guard lock(mutex_);
  const RecorderWindowId id = nextId_;
  nextId_ += 0x10;
  RecorderWindowId childId = id + 1;
  for (RecorderChildWindow& child : window.children) {
    if (child.id == 0) child.id = childId++;
  }
  windows_[id] = Entry{std::move(window)};
  return id;
}

void ScriptedRecorderWindows::Remove(RecorderWindowId id) {
  std::lock_guard lock(mutex_);
  windows_.erase(id);
}

std::vector<RecorderWindowId> ScriptedRecorderWindows::FindTopLevel(std::wstring_view title) {
  std::lock_guard lock(mutex_);
  ++lookups_[std::wstring(title)];
  std::vector<RecorderWindowId> found;
  for (auto it = windows_.begin(); it != windows_.end();) {
    Entry& entry = it->second;
    if (entry.window.title != title) {
      ++it;
      continue;
    }
    if (entry.lookupsToClose == 0) {
      it = windows_.erase(it);
      continue;
    }
    if (entry.lookupsToClose > 0) --entry.lookupsToClose;
    if (entry.lookups++ >= entry.window.appearsAfterLookups) found.push_back(it->first);
    ++it;
  }
  return found;
}

std::vector<RecorderChildWindow> ScriptedRecorderWindows::Children(RecorderWindowId window) {
  std::lock_guard lock(mutex_);
  const auto it = windows_.find(window);
  if (it == windows_.end()) return {};
  return it->second.window.children;
}

std::optional<std::wstring> ScriptedRecorderWindows::ComboSelectedText(RecorderWindowId combo) {
  std::lock_guard lock(mutex_);
  for (const auto& [id, entry] : windows_) {
    const auto text = entry.window.comboTexts.find(combo);
    if (text != entry.window.comboTexts.end()) return text->second;
  }
  return std::nullopt;
}

bool ScriptedRecorderWindows::RequestClose(RecorderWindowId window, std::uint32_t) {
  std::lock_guard lock(mutex_);
  ++closeRequests_;
  const auto it = windows_.find(window);
  if (it == windows_.end() || !it->second.window.takesCloseRequest) return false;
  Entry& entry = it->second;
  if (entry.window.closesAfterLookups == 0) {
    windows_.erase(it);
  } else if (entry.window.closesAfterLookups > 0) {
    entry.lookupsToClose = entry.window.closesAfterLookups;
  }
  return true;
}

bool ScriptedRecorderWindows::PostClick(RecorderWindowId control, int x, int y) {
  std::lock_guard lock(mutex_);
  for (const auto& [id, entry] : windows_) {
    for (const RecorderChildWindow& child : entry.window.children) {
      if (child.id == control) {
        clicks_.push_back({control, x, y});
        return true;
      }
    }
  }
  return false;
}

int ScriptedRecorderWindows::Lookups(const std::wstring& title) const {
  std::lock_guard lock(mutex_);
  const auto it = lookups_.find(title);
  return it == lookups_.end() ? 0 : it->second;
}

int ScriptedRecorderWindows::CloseRequests() const {
  std::lock_guard lock(mutex_);
  return closeRequests_;
}

std::vector<ScriptedClick> ScriptedRecorderWindows::Clicks() const {
  std::lock_guard lock(mutex_);
  return clicks_;
}

}  // namespace plimod::test
