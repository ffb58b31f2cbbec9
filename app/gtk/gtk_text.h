#pragma once
// Text between the program's wide strings and GTK's UTF-8.

#include <gtk/gtk.h>

#include <string>

#include "platform/text_codec.h"

namespace plimod {

inline std::string Utf8(const std::wstring& text) { return WideToUtf8String(text); }
inline std::wstring Wide(const char* text) { return text ? Utf8ToWide(text) : std::wstring(); }
inline std::wstring EntryText(GtkWidget* entry) { return Wide(gtk_entry_get_text(GTK_ENTRY(entry))); }
inline void SetEntryText(GtkWidget* entry, const std::wstring& text) {
  gtk_entry_set_text(GTK_ENTRY(entry), Utf8(text).c_str());
}

}  // namespace plimod
