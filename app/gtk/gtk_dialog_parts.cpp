#include "app/gtk/gtk_dialog_parts.h"

#include "app/gtk/gtk_text.h"

namespace plimod {

namespace {

constexpr int kSpacing = 6;
constexpr int kBorder = 10;

}  // namespace

GtkWidget* NewDialog(const std::wstring& title, const char* okLabel, GtkWidget** grid) {
  GtkWidget* dialog = gtk_dialog_new_with_buttons(Utf8(title).c_str(), nullptr, GTK_DIALOG_MODAL,
                                                  okLabel, GTK_RESPONSE_OK, "キャンセル",
                                                  GTK_RESPONSE_CANCEL, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  *grid = gtk_grid_new();
  gtk_grid_set_row_spacing(GTK_GRID(*grid), kSpacing);
  gtk_grid_set_column_spacing(GTK_GRID(*grid), kSpacing);
  gtk_container_set_border_width(GTK_CONTAINER(*grid), kBorder);
  GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
  gtk_box_pack_start(GTK_BOX(content), *grid, TRUE, TRUE, 0);
  return dialog;
}

GtkWidget* NewEntry(const char* name, const std::wstring& text, int maxChars) {
  GtkWidget* entry = gtk_entry_new();
  gtk_widget_set_name(entry, name);
  if (maxChars > 0) gtk_entry_set_max_length(GTK_ENTRY(entry), maxChars);
  SetEntryText(entry, text);
  gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
  return entry;
}

GtkWidget* NewLabel(const std::wstring& text) {
  GtkWidget* label = gtk_label_new(Utf8(text).c_str());
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  return label;
}

GtkWidget* NewButton(const char* name, const std::wstring& label) {
  GtkWidget* button = gtk_button_new_with_label(Utf8(label).c_str());
  gtk_widget_set_name(button, name);
  return button;
}

}  // namespace plimod
