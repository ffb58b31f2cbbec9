// The file and folder pickers of the browse buttons.

#include <sys/stat.h>
#include <unistd.h>

#include "app/dialog_models/browse.h"
#include "app/gtk/gtk_desktop.h"
#include "app/gtk/gtk_text.h"
#include "platform/file.h"
#include "platform/message_box.h"

namespace plimod {

namespace {

constexpr wchar_t kNotUtf8Text[] = L"UTF-8でない名前のファイルやフォルダは使えません";

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

gboolean IsExecutable(const GtkFileFilterInfo* info, gpointer) {
  return info->filename != nullptr && !IsFolder(info->filename) && access(info->filename, X_OK) == 0;
}

GtkFileFilter* NewFilter(const FileFilter& filter) {
  GtkFileFilter* result = gtk_file_filter_new();
  gtk_file_filter_set_name(result, Utf8(filter.label).c_str());
  switch (filter.kind) {
    case FileFilterKind::kAll: gtk_file_filter_add_pattern(result, "*"); break;
    case FileFilterKind::kExecutable:
      gtk_file_filter_add_custom(result, GTK_FILE_FILTER_FILENAME, IsExecutable, nullptr, nullptr);
      gtk_file_filter_add_pattern(result, "*.sh");
      break;
    case FileFilterKind::kShellScript: gtk_file_filter_add_pattern(result, "*.sh"); break;
  }
  return result;
}

// Places the picker at the initial path; false when there is nothing there
// to start from (the picker then opens without it).
bool StartAt(GtkFileChooser* chooser, const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) == 0) return gtk_file_chooser_set_filename(chooser, path.c_str());
  const std::string folder = path.substr(0, path.find_last_of('/') + 1);
  return !folder.empty() && IsFolder(folder) && gtk_file_chooser_set_current_folder(chooser, folder.c_str());
}

// The picked name in the program's text; nullopt (after telling the user)
// for a name that is not UTF-8 and so cannot be stored in the settings.
std::optional<std::wstring> ChosenName(GtkFileChooser* chooser) {
  gchar* name = gtk_file_chooser_get_filename(chooser);
  std::optional<std::wstring> result;
  if (name != nullptr && g_utf8_validate(name, -1, nullptr)) {
    result = Wide(name);
  } else {
    ShowMessageBox(kNotUtf8Text);
  }
  g_free(name);
  return result;
}

GtkWidget* NewChooser(const wchar_t* title, GtkFileChooserAction action, const char* accept) {
  GtkWidget* chooser = gtk_file_chooser_dialog_new(Utf8(title).c_str(), nullptr, action, "キャンセル",
                                                   GTK_RESPONSE_CANCEL, accept, GTK_RESPONSE_ACCEPT, nullptr);
  gtk_widget_set_name(chooser, "chooser");
  gtk_window_set_default_size(GTK_WINDOW(chooser), 760, 480);
  gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(chooser), TRUE);
  return chooser;
}

}  // namespace

FilePick GtkDesktop::PickFile(const std::wstring& initialFile, int filterIndex, std::wstring& chosen) {
  GtkWidget* chooser = NewChooser(kFilePickerTitle, GTK_FILE_CHOOSER_ACTION_OPEN, "開く");
  if (!initialFile.empty() && !StartAt(GTK_FILE_CHOOSER(chooser), ToNativePath(initialFile))) {
    gtk_widget_destroy(chooser);
    return FilePick::kInvalidInitialFile;
  }
  for (const FileFilter& filter : FileFilterList(filterIndex)) {
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), NewFilter(filter));
  }
  FilePick result = FilePick::kCancelled;
  if (RunModal(chooser) == GTK_RESPONSE_ACCEPT) {
    if (std::optional<std::wstring> name = ChosenName(GTK_FILE_CHOOSER(chooser))) {
      chosen = *name;
      result = FilePick::kChosen;
    }
  }
  gtk_widget_destroy(chooser);
  return result;
}

std::optional<std::wstring> GtkDesktop::PickFolder(const std::wstring& initialFolder) {
  GtkWidget* chooser = NewChooser(kFolderPickerTitle, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "選択");
  if (!initialFolder.empty()) StartAt(GTK_FILE_CHOOSER(chooser), ToNativePath(initialFolder));
  std::optional<std::wstring> result;
  if (RunModal(chooser) == GTK_RESPONSE_ACCEPT) result = ChosenName(GTK_FILE_CHOOSER(chooser));
  gtk_widget_destroy(chooser);
  return result;
}

}  // namespace plimod
