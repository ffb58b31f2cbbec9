#pragma once
// The list dialog over an ordered list of the settings document: the
// recording folders (EDCB_RECDIR) or the batch files (EDCB_BATCHLIST).
// It edits the document directly, like the dialog always has; the document
// is saved when the dialog closes, whichever way.

#include <string>
#include <vector>

namespace plimod {

class DialogHost;
class IniFile;

enum class ListKind { kRecordingFolders, kBatchFiles };

inline constexpr wchar_t kNewRowText[] = L"(新規)";
// Shown when a text would not read back as the same list entry.
inline constexpr wchar_t kRefusedListText[] =
    L"空の文字列や [ で始まり ] で終わる文字列はリストに登録できません";
// Column widths of the number and value columns.
inline constexpr int kNumberColumnWidth = 28;
inline constexpr int kValueColumnWidth = 360;

class ListDialogModel {
 public:
  ListDialogModel(IniFile& settings, ListKind kind);

  ListKind Kind() const { return kind_; }
  const wchar_t* Section() const;
  std::wstring Title() const;
  std::wstring ValueColumnTitle() const;

  // One row per entry, then the "(新規)" row.
  int RowCount() const { return static_cast<int>(entries_.size()) + 1; }
  int EntryCount() const { return static_cast<int>(entries_.size()); }
  std::wstring RowNumber(int row) const { return std::to_wstring(row); }
  std::wstring RowText(int row) const;

  // -1: the "(新規)" row, or nothing, is selected.
  int Selection() const { return selection_; }
  std::wstring Label() const;
  std::wstring& EditText() { return editText_; }
  const std::wstring& EditText() const { return editText_; }

  // A row gained the selection; an entry's value goes into the edit field.
  void Select(int row);
  // A click on the list's empty space.
  void ClickEmpty() { selection_ = -1; }
  // Set: appends the edit text (nothing selected) or replaces the selected
  // entry. A text that would not survive a reload of the document is
  // refused with a message box.
  bool Set();
  // Delete: removes the selected entry; the selection moves to the last
  // entry when it was beyond it, or to -1 when the list became empty.
  bool Delete();
  // Browse: a batch file, or a folder starting at the edit text.
  bool Browse(DialogHost& host);
  // Whenever the dialog closes, OK and Cancel alike: saves the document.
  bool Close();

  // True when `text` would read back as the same value-only line.
  static bool StorableText(const std::wstring& text);

 private:
  void ReadEntries();

  IniFile& settings_;
  ListKind kind_;
  std::vector<std::wstring> entries_;
  int selection_ = -1;
  std::wstring editText_;
};

}  // namespace plimod
