#pragma once
// The browse buttons of the dialogs: fill an edit field from the file or
// folder picker.

#include <string>
#include <vector>

namespace plimod {

class DialogHost;

// What a file filter lets through. The executable and batch-file filters of
// the dialogs keep their labels; on this system they stand for files with
// an execute bit and shell scripts.
enum class FileFilterKind { kAll, kExecutable, kShellScript };

struct FileFilter {
  std::wstring label;
  FileFilterKind kind;
};

// The filter lists the dialogs offer: 0 for any file first, 1 for
// programs first, 2 for none. The first filter is the one selected.
std::vector<FileFilter> FileFilterList(int filterIndex);

// Title of the file picker.
inline constexpr wchar_t kFilePickerTitle[] = L"参照";
// Title of the folder picker.
inline constexpr wchar_t kFolderPickerTitle[] = L"出力フォルダ";

// Opens the file picker at the (unquoted) path in `field`; when that is not
// a usable file name, opens it once more without it. The chosen path
// replaces `field`, quoted when it holds a blank. False when cancelled.
bool BrowseForFile(DialogHost& host, std::wstring& field, int filterIndex);
// Opens the folder picker at `field`; the chosen folder replaces it.
bool BrowseForFolder(DialogHost& host, std::wstring& field);

}  // namespace plimod
