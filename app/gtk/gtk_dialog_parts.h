#pragma once
// Building blocks the dialogs share.

#include <gtk/gtk.h>

#include <string>

namespace plimod {

// A dialog with the given title and, when `withOk`, an OK button, then the
// Cancel button; its content area is a grid, which it returns.
GtkWidget* NewDialog(const std::wstring& title, const char* okLabel, GtkWidget** grid);
// An entry named `name` (tests and accessibility find it by that name),
// holding `text`, at most `maxChars` long (0: no limit).
GtkWidget* NewEntry(const char* name, const std::wstring& text, int maxChars);
GtkWidget* NewLabel(const std::wstring& text);
GtkWidget* NewButton(const char* name, const std::wstring& label);

}  // namespace plimod
