#include "app/gtk/gtk_desktop.h"

#include <utility>

#include "app/gtk/gtk_text.h"
#include "platform/main_window.h"
#include "platform/window_messages.h"

namespace plimod {

namespace {

constexpr char kIndicatorId[] = "plimod";
constexpr char kTrayTip[] = "プリモ";

// Menu texts mark their access key with "&" ("&&" is a plain "&"); GTK
// marks it with "_".
std::string MnemonicLabel(const std::wstring& text) {
  std::wstring label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'_') {
      label += L"__";
    } else if (text[i] == L'&' && i + 1 < text.size()) {
      label += text[i + 1] == L'&' ? L'&' : L'_';
      if (text[i + 1] == L'&') ++i;
    } else {
      label += text[i];
    }
  }
  return Utf8(label);
}

// The program fills its menu when the tray icon is right-clicked; the
// indicator needs it beforehand, so it is asked for again after each use.
void RequestMenu() { PostMainWindowMessage(kTrayCallbackMessage, 0, kTrayRightButtonUp); }

void OnMenuItem(GtkMenuItem* item, gpointer) {
  auto command = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "command"));
  PostMainWindowMessage(WM_COMMAND, command);
  RequestMenu();
}

struct QueuedJob {
  std::function<void()> job;
  std::shared_ptr<std::atomic<bool>> alive;
};

gboolean RunQueuedJob(gpointer data) {
  auto* queued = static_cast<QueuedJob*>(data);
  if (queued->alive->load()) queued->job();
  return G_SOURCE_REMOVE;
}

void DeleteQueuedJob(gpointer data) { delete static_cast<QueuedJob*>(data); }

}  // namespace

GtkDesktop::GtkDesktop()
    : mainThread_(std::this_thread::get_id()),
      alive_(std::make_shared<std::atomic<bool>>(true)) {
  indicator_ = app_indicator_new(kIndicatorId, icons_.IconPath(kTrayNormal).c_str(),
                                 APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
  app_indicator_set_title(indicator_, kTrayTip);
  // The indicator refuses to show without a menu.
  GtkWidget* menu = gtk_menu_new();
  app_indicator_set_menu(indicator_, GTK_MENU(menu));
}

GtkDesktop::~GtkDesktop() {
  alive_->store(false);
  app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
  g_object_unref(indicator_);
}

void GtkDesktop::OnMainThread(std::function<void()> job) {
  if (std::this_thread::get_id() == mainThread_) {
    job();
    return;
  }
  // Queued rather than run here even while the main loop is not running,
  // so GTK is never entered from another thread.
  g_idle_add_full(G_PRIORITY_DEFAULT, RunQueuedJob, new QueuedJob{std::move(job), alive_},
                  DeleteQueuedJob);
}

void GtkDesktop::ApplyTrayState() {
  int state = trayState_.load();
  if (state < 0) {
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
    return;
  }
  app_indicator_set_icon_full(indicator_, icons_.IconPath(state).c_str(), kTrayTip);
  app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_ACTIVE);
}

void GtkDesktop::AddTrayIcon(int state) {
  trayState_.store(state);
  OnMainThread([this] {
    ApplyTrayState();
    RequestMenu();
  });
}

void GtkDesktop::SetTrayIcon(int state) {
  int shown = trayState_.load();
  // Only an existing icon changes, and never back into existence.
  while (shown >= 0 && !trayState_.compare_exchange_weak(shown, state)) {
  }
  if (shown < 0) return;
  OnMainThread([this] { ApplyTrayState(); });
}

void GtkDesktop::DeleteTrayIcon() {
  trayState_.store(-1);
  OnMainThread([this] {
    ApplyTrayState();
    // The program is ending: close what is still open.
    for (auto it = modalStack_.rbegin(); it != modalStack_.rend(); ++it) {
      gtk_dialog_response(GTK_DIALOG(*it), GTK_RESPONSE_CANCEL);
    }
  });
}

GtkMenu* GtkDesktop::Menu() const { return app_indicator_get_menu(indicator_); }

void GtkDesktop::ShowTrayMenu(const TrayMenu& items) {
  OnMainThread([this, items] {
    GtkWidget* menu = gtk_menu_new();
    GtkWidget* firstLauncher = nullptr;
    for (const TrayMenuItem& item : items) {
      GtkWidget* widget = item.command == 0 ? gtk_separator_menu_item_new()
                                            : gtk_menu_item_new_with_mnemonic(MnemonicLabel(item.text).c_str());
      if (item.command != 0) {
        g_object_set_data(G_OBJECT(widget), "command", GUINT_TO_POINTER(item.command));
        g_signal_connect(widget, "activate", G_CALLBACK(OnMenuItem), nullptr);
      }
      if (item.command == kFirstLauncherCommand) firstLauncher = widget;
      gtk_menu_shell_append(GTK_MENU_SHELL(menu), widget);
    }
    gtk_widget_show_all(menu);
    app_indicator_set_menu(indicator_, GTK_MENU(menu));
    app_indicator_set_secondary_activate_target(indicator_, firstLauncher);
  });
}

void GtkDesktop::ShowMessageBox(std::wstring_view text, std::wstring_view caption) {
  OnMainThread([this, text = std::string(Utf8(std::wstring(text))),
                caption = std::string(Utf8(std::wstring(caption)))] {
    GtkWidget* box = gtk_message_dialog_new(ModalParent(), GTK_DIALOG_DESTROY_WITH_PARENT,
                                            GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", text.c_str());
    gtk_widget_set_name(box, "message");
    gtk_window_set_title(GTK_WINDOW(box), caption.c_str());
    gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
    gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
    // Above an open dialog it must be modal too, or that dialog's grab
    // keeps it from being clicked.
    gtk_window_set_modal(GTK_WINDOW(box), ModalParent() != nullptr);
    g_signal_connect(box, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
    gtk_widget_show(box);
  });
}

GtkWindow* GtkDesktop::ModalParent() const {
  return modalStack_.empty() ? nullptr : GTK_WINDOW(modalStack_.back());
}

int GtkDesktop::RunModal(GtkWidget* dialog) {
  if (GtkWindow* parent = ModalParent()) gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  modalStack_.push_back(dialog);
  int response = gtk_dialog_run(GTK_DIALOG(dialog));
  modalStack_.pop_back();
  return response;
}

}  // namespace plimod
