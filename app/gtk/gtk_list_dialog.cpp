// The list dialog over the recording folders or the batch files: the
// list, an edit field with the selected number, and Set, Delete, Browse.

#include <algorithm>

#include "app/dialog_models/list_dialog_model.h"
#include "app/gtk/gtk_desktop.h"
#include "app/gtk/gtk_dialog_parts.h"
#include "app/gtk/gtk_text.h"

namespace plimod {

namespace {

enum Column { kNumberColumn, kTextColumn, kColumns };

// GTK pads its cells more than the list the widths were made for: the
// number column needs this much to show its title "No.".
constexpr int kNumberColumnMinWidth = 40;

struct ListView {
  DialogHost* host = nullptr;
  ListDialogModel* model = nullptr;
  GtkListStore* store = nullptr;
  GtkTreeSelection* selection = nullptr;
  gulong selectionHandler = 0;
  GtkWidget* entry = nullptr;
  GtkWidget* label = nullptr;
};

void ShowSelection(ListView& view) {
  gtk_label_set_text(GTK_LABEL(view.label), Utf8(view.model->Label()).c_str());
  if (EntryText(view.entry) != view.model->EditText()) SetEntryText(view.entry, view.model->EditText());
}

void Refill(ListView& view) {
  g_signal_handler_block(view.selection, view.selectionHandler);
  gtk_list_store_clear(view.store);
  for (int row = 0; row < view.model->RowCount(); ++row) {
    GtkTreeIter iter;
    gtk_list_store_append(view.store, &iter);
    gtk_list_store_set(view.store, &iter, kNumberColumn, Utf8(view.model->RowNumber(row)).c_str(),
                       kTextColumn, Utf8(view.model->RowText(row)).c_str(), -1);
  }
  if (view.model->Selection() >= 0) {
    GtkTreePath* path = gtk_tree_path_new_from_indices(view.model->Selection(), -1);
    gtk_tree_selection_select_path(view.selection, path);
    gtk_tree_path_free(path);
  }
  g_signal_handler_unblock(view.selection, view.selectionHandler);
  ShowSelection(view);
}

void OnSelectionChanged(GtkTreeSelection* selection, gpointer data) {
  auto& view = *static_cast<ListView*>(data);
  GtkTreeModel* store = nullptr;
  GtkTreeIter iter;
  // Only a row that gains the selection counts.
  if (!gtk_tree_selection_get_selected(selection, &store, &iter)) return;
  GtkTreePath* path = gtk_tree_model_get_path(store, &iter);
  view.model->Select(gtk_tree_path_get_indices(path)[0]);
  gtk_tree_path_free(path);
  ShowSelection(view);
}

gboolean OnListPressed(GtkWidget* tree, GdkEventButton* event, gpointer data) {
  auto& view = *static_cast<ListView*>(data);
  if (!gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(tree), static_cast<int>(event->x),
                                     static_cast<int>(event->y), nullptr, nullptr, nullptr, nullptr)) {
    gtk_tree_selection_unselect_all(view.selection);
    view.model->ClickEmpty();
    ShowSelection(view);
  }
  return FALSE;
}

void OnEntryChanged(GtkEditable* entry, gpointer data) {
  static_cast<ListView*>(data)->model->EditText() = EntryText(GTK_WIDGET(entry));
}

void OnSet(GtkButton*, gpointer data) {
  auto& view = *static_cast<ListView*>(data);
  if (view.model->Set()) Refill(view);
}

void OnDelete(GtkButton*, gpointer data) {
  auto& view = *static_cast<ListView*>(data);
  if (view.model->Delete()) Refill(view);
}

void OnBrowse(GtkButton*, gpointer data) {
  auto& view = *static_cast<ListView*>(data);
  if (view.model->Browse(*view.host)) ShowSelection(view);
}

GtkTreeViewColumn* NewColumn(const std::wstring& title, int column, int width) {
  GtkTreeViewColumn* result = gtk_tree_view_column_new_with_attributes(
      Utf8(title).c_str(), gtk_cell_renderer_text_new(), "text", column, nullptr);
  gtk_tree_view_column_set_sizing(result, GTK_TREE_VIEW_COLUMN_FIXED);
  gtk_tree_view_column_set_fixed_width(result, width);
  gtk_tree_view_column_set_resizable(result, TRUE);
  return result;
}

GtkWidget* NewList(ListView& view) {
  view.store = gtk_list_store_new(kColumns, G_TYPE_STRING, G_TYPE_STRING);
  GtkWidget* tree = gtk_tree_view_new_with_model(GTK_TREE_MODEL(view.store));
  g_object_unref(view.store);  // the tree view holds it
  gtk_widget_set_name(tree, "entries");
  gtk_tree_view_set_grid_lines(GTK_TREE_VIEW(tree), GTK_TREE_VIEW_GRID_LINES_BOTH);
  gtk_tree_view_append_column(GTK_TREE_VIEW(tree), NewColumn(L"No.", kNumberColumn, std::max(kNumberColumnWidth, kNumberColumnMinWidth)));
  gtk_tree_view_append_column(GTK_TREE_VIEW(tree),
                              NewColumn(view.model->ValueColumnTitle(), kTextColumn, kValueColumnWidth));
  view.selection = gtk_tree_view_get_selection(GTK_TREE_VIEW(tree));
  view.selectionHandler = g_signal_connect(view.selection, "changed", G_CALLBACK(OnSelectionChanged), &view);
  g_signal_connect(tree, "button-press-event", G_CALLBACK(OnListPressed), &view);
  GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_widget_set_size_request(scroller, kNumberColumnMinWidth + kValueColumnWidth + 24, 200);
  gtk_container_add(GTK_CONTAINER(scroller), tree);
  return scroller;
}

void AddButton(GtkWidget* box, const char* name, const wchar_t* label, GCallback onClick, ListView& view) {
  GtkWidget* button = NewButton(name, label);
  g_signal_connect(button, "clicked", onClick, &view);
  gtk_box_pack_start(GTK_BOX(box), button, FALSE, FALSE, 0);
}

}  // namespace

int GtkDesktop::RunListDialog(ListDialogModel& model) {
  GtkWidget* grid = nullptr;
  GtkWidget* dialog = NewDialog(model.Title(), "閉じる", &grid);
  gtk_widget_set_name(dialog, "list");
  ListView view;
  view.host = this;
  view.model = &model;
  gtk_grid_attach(GTK_GRID(grid), NewList(view), 0, 0, 2, 1);
  view.label = NewLabel(model.Label());
  gtk_widget_set_name(view.label, "selection");
  gtk_label_set_width_chars(GTK_LABEL(view.label), 6);
  view.entry = NewEntry("text", model.EditText(), 0);
  gtk_entry_set_activates_default(GTK_ENTRY(view.entry), FALSE);
  gtk_widget_set_hexpand(view.entry, TRUE);
  g_signal_connect(view.entry, "changed", G_CALLBACK(OnEntryChanged), &view);
  gtk_grid_attach(GTK_GRID(grid), view.label, 0, 1, 1, 1);
  gtk_grid_attach(GTK_GRID(grid), view.entry, 1, 1, 1, 1);
  GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
  AddButton(buttons, "set", L"設定", G_CALLBACK(OnSet), view);
  AddButton(buttons, "delete", L"削除", G_CALLBACK(OnDelete), view);
  AddButton(buttons, "browse", L"参照...", G_CALLBACK(OnBrowse), view);
  gtk_grid_attach(GTK_GRID(grid), buttons, 0, 2, 2, 1);
  Refill(view);
  // A list that takes the focus selects its first row; the dialog opens
  // with nothing selected.
  gtk_widget_grab_focus(view.entry);
  gtk_widget_show_all(dialog);
  const int response = RunModal(dialog);
  gtk_widget_destroy(dialog);
  return response == GTK_RESPONSE_OK ? kDialogOk : kDialogCancel;
}

}  // namespace plimod
