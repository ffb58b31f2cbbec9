// The launcher dialog: six rows of caption, path and a browse button.

#include <array>

#include "app/dialog_models/launcher_dialog_model.h"
#include "app/gtk/gtk_desktop.h"
#include "app/gtk/gtk_dialog_parts.h"
#include "app/gtk/gtk_text.h"

namespace plimod {

namespace {

struct LauncherRowView {
  DialogHost* host = nullptr;
  LauncherDialogModel* model = nullptr;
  int row = 0;
  GtkWidget* caption = nullptr;
  GtkWidget* path = nullptr;
};

void OnBrowse(GtkButton*, gpointer data) {
  auto* view = static_cast<LauncherRowView*>(data);
  view->model->rows[view->row].path = EntryText(view->path);
  if (BrowseLauncherPath(*view->host, *view->model, view->row)) {
    SetEntryText(view->path, view->model->rows[view->row].path);
  }
}

std::string Numbered(const char* name, int row) { return name + std::to_string(row + 1); }

void AddRow(GtkGrid* grid, LauncherRowView& view, const LauncherRow& row) {
  const int line = view.row + 1;
  view.caption = NewEntry(Numbered("caption", view.row).c_str(), row.caption,
                          kMaxLauncherFieldChars);
  gtk_entry_set_width_chars(GTK_ENTRY(view.caption), 16);
  view.path = NewEntry(Numbered("path", view.row).c_str(), row.path, kMaxLauncherFieldChars);
  gtk_entry_set_width_chars(GTK_ENTRY(view.path), 40);
  GtkWidget* browse = NewButton(Numbered("browse", view.row).c_str(), L"参照...");
  g_signal_connect(browse, "clicked", G_CALLBACK(OnBrowse), &view);
  gtk_grid_attach(grid, NewLabel(std::to_wstring(line)), 0, line, 1, 1);
  gtk_grid_attach(grid, view.caption, 1, line, 1, 1);
  gtk_grid_attach(grid, view.path, 2, line, 1, 1);
  gtk_grid_attach(grid, browse, 3, line, 1, 1);
}

}  // namespace

int GtkDesktop::RunLauncherDialog(LauncherDialogModel& model) {
  GtkWidget* grid = nullptr;
  GtkWidget* dialog = NewDialog(kLauncherDialogTitle, "OK", &grid);
  gtk_widget_set_name(dialog, "launcher");
  gtk_grid_attach(GTK_GRID(grid), NewLabel(L"キャプション"), 1, 0, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), NewLabel(L"パス"), 2, 0, 1, 1);
  std::array<LauncherRowView, kLauncherDialogRows> rows;
  for (int i = 0; i < kLauncherDialogRows; ++i) {
    rows[i] = {this, &model, i, nullptr, nullptr};
    AddRow(GTK_GRID(grid), rows[i], model.rows[i]);
  }
  gtk_widget_show_all(dialog);
  const int response = RunModal(dialog);
  if (response == GTK_RESPONSE_OK) {
    for (int i = 0; i < kLauncherDialogRows; ++i) {
      model.rows[i].caption = EntryText(rows[i].caption);
      model.rows[i].path = EntryText(rows[i].path);
    }
  }
  gtk_widget_destroy(dialog);
  return response == GTK_RESPONSE_OK ? kDialogOk : kDialogCancel;
}

}  // namespace plimod
