// The HTTP settings dialog: port, authentication mode, id and password.

#include "app/dialog_models/http_settings_model.h"
#include "app/gtk/gtk_desktop.h"
#include "app/gtk/gtk_dialog_parts.h"
#include "app/gtk/gtk_text.h"

namespace plimod {

namespace {

GtkWidget* NewModeList(int selected) {
  GtkWidget* list = gtk_combo_box_text_new();
  gtk_widget_set_name(list, "authmode");
  for (const wchar_t* label : kHttpAuthModeLabels) {
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), Utf8(label).c_str());
  }
  gtk_combo_box_set_active(GTK_COMBO_BOX(list), selected);
  return list;
}

void AddField(GtkGrid* grid, int line, const wchar_t* label, GtkWidget* field) {
  gtk_grid_attach(grid, NewLabel(label), 0, line, 1, 1);
  gtk_widget_set_hexpand(field, TRUE);
  gtk_grid_attach(grid, field, 1, line, 1, 1);
}

}  // namespace

int GtkDesktop::RunHttpSettingsDialog(HttpSettingsModel& model) {
  GtkWidget* grid = nullptr;
  GtkWidget* dialog = NewDialog(kHttpSettingsDialogTitle, "OK", &grid);
  gtk_widget_set_name(dialog, "http");
  GtkWidget* port = NewEntry("port", model.port, 0);
  GtkWidget* mode = NewModeList(model.authMode);
  GtkWidget* id = NewEntry("id", model.id, kMaxHttpAuthChars);
  GtkWidget* password = NewEntry("password", model.password, kMaxHttpAuthChars);
  gtk_entry_set_width_chars(GTK_ENTRY(id), 30);
  AddField(GTK_GRID(grid), 0, L"ポート", port);
  AddField(GTK_GRID(grid), 1, L"認証", mode);
  AddField(GTK_GRID(grid), 2, L"ID", id);
  AddField(GTK_GRID(grid), 3, L"PASSWORD", password);
  gtk_widget_show_all(dialog);
  const int response = RunModal(dialog);
  if (response == GTK_RESPONSE_OK) {
    model.port = EntryText(port);
    model.authMode = gtk_combo_box_get_active(GTK_COMBO_BOX(mode));
    model.id = EntryText(id);
    model.password = EntryText(password);
  }
  gtk_widget_destroy(dialog);
  return response == GTK_RESPONSE_OK ? kDialogOk : kDialogCancel;
}

}  // namespace plimod
