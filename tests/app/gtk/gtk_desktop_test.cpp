// The GTK desktop on a virtual display: it is chosen when a display is
// present, the tray icon and its menu, and each dialog opened from the
// program's own entry point, photographed, filled in and closed as a user
// would. Screenshots land in <build>/gtk-screenshots.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "app/desktop_access.h"
#include "app/desktop_factory.h"
#include "app/dialogs.h"
#include "app/gtk/gtk_desktop.h"
#include "app/tray_icon.h"
#include "app/tray_menu_items.h"
#include "platform/main_loop.h"
#include "platform/main_window.h"
#include "platform/message_box.h"
#include "platform/text_codec.h"
#include "platform/window_messages.h"
#include "server/http_config.h"
#include "server/http_server.h"
#include "settings/settings.h"
#include "tests/app/dialog_fakes.h"
#include "tests/app/gtk/xvfb_display.h"

// GTK, GLib and the indicator keep one-time allocations to the end of the
// process; the leak checker is told to leave those libraries alone.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libglib-2.0.so\nleak:libgobject-2.0.so\nleak:libgio-2.0.so\nleak:libgtk-3.so\n"
         "leak:libgdk-3.so\nleak:libfontconfig.so\nleak:libpango\nleak:libdbusmenu\n"
         "leak:libayatana\nleak:libcairo.so\nleak:libX11.so\n";
}

namespace plimod {
namespace {

using testing::TempFolder;

const std::filesystem::path kScreenshots = PLIMOD_BINARY_DIR "/gtk-screenshots";
constexpr int kTickMs = 20;
constexpr int kMaxTicks = 3000;      // a minute for a window to show on a busy machine
constexpr int kTicksToDraw = 10;     // after it is mapped

GtkWidget* FindNamed(GtkWidget* root, const char* name) {
  if (g_strcmp0(gtk_widget_get_name(root), name) == 0) return root;
  if (!GTK_IS_CONTAINER(root)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(root));
  GtkWidget* found = nullptr;
  for (GList* child = children; child != nullptr && found == nullptr; child = child->next) {
    found = FindNamed(GTK_WIDGET(child->data), name);
  }
  g_list_free(children);
  return found;
}

GtkWidget* FindShownWindow(const char* name) {
  GList* windows = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* window = windows; window != nullptr; window = window->next) {
    GtkWidget* widget = GTK_WIDGET(window->data);
    if (gtk_widget_get_mapped(widget) && g_strcmp0(gtk_widget_get_name(widget), name) == 0) found = widget;
  }
  g_list_free(windows);
  return found;
}

void CancelEveryDialog() {
  GList* windows = gtk_window_list_toplevels();
  for (GList* window = windows; window != nullptr; window = window->next) {
    if (GTK_IS_DIALOG(window->data) && gtk_widget_get_mapped(GTK_WIDGET(window->data))) {
      gtk_dialog_response(GTK_DIALOG(window->data), GTK_RESPONSE_CANCEL);
    }
  }
  g_list_free(windows);
}

void Screenshot(GtkWidget* window, const char* name) {
  std::filesystem::create_directories(kScreenshots);
  GdkWindow* gdkWindow = gtk_widget_get_window(window);
  GdkPixbuf* picture = gdk_pixbuf_get_from_window(gdkWindow, 0, 0, gdk_window_get_width(gdkWindow),
                                                  gdk_window_get_height(gdkWindow));
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(gdk_pixbuf_save(picture, (kScreenshots / name).c_str(), "png", nullptr, nullptr));
  g_object_unref(picture);
}

// Runs `step` on the window named `name` once it has shown and drawn;
// cancels every dialog when it does not show in time.
void WhenShown(const char* name, std::function<void(GtkWidget*)> step) {
  struct Waiting {
    std::string name;
    std::function<void(GtkWidget*)> step;
    int ticks = 0;
    int shownTicks = 0;
  };
  auto tick = [](gpointer data) -> gboolean {
    auto* waiting = static_cast<Waiting*>(data);
    GtkWidget* window = FindShownWindow(waiting->name.c_str());
    if (window != nullptr && ++waiting->shownTicks >= kTicksToDraw) {
      waiting->step(window);
      return G_SOURCE_REMOVE;
    }
    if (++waiting->ticks > kMaxTicks) {
      ADD_FAILURE() << "window " << waiting->name << " did not show";
      CancelEveryDialog();
      return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
  };
  g_timeout_add_full(G_PRIORITY_DEFAULT, kTickMs, tick, new Waiting{name, std::move(step)},
                     [](gpointer data) { delete static_cast<Waiting*>(data); });
}

// Runs the loop until `done` or a bound.
void IterateUntil(const std::function<bool()>& done) {
  for (int i = 0; i < kMaxTicks * 10 && !done(); ++i) {
    g_main_context_iteration(nullptr, FALSE);
    g_usleep(kTickMs * 100);
  }
}

void SetEntry(GtkWidget* dialog, const char* name, const char* text) {
  GtkWidget* entry = FindNamed(dialog, name);
  ASSERT_NE(entry, nullptr) << name;
  gtk_entry_set_text(GTK_ENTRY(entry), text);
}

class GtkDesktopTest : public ::testing::Test {
 protected:
  // One display for the whole test program: GTK opens its display once and
  // ends the process when that display goes away.
  static void SetUpTestSuite() { display_ = new testing::XvfbDisplay(); }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }

  void SetUp() override {
    if (display_->Name().empty()) GTEST_SKIP() << display_->Why();
    setenv("DISPLAY", display_->Name().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("GDK_BACKEND", "x11", 1);
    // No session bus here: the indicator must not start one of its own.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 0);
    Settings().Load(folder_.File("plimo.ini").wstring(), true);
    std::unique_ptr<Desktop> desktop = MakeDesktop();
    ASSERT_NE(desktop, nullptr) << "no GTK desktop on " << display_->Name();
    gtkDesktop_ = dynamic_cast<GtkDesktop*>(desktop.get());
    ASSERT_NE(gtkDesktop_, nullptr);
    UseDesktop(std::move(desktop));
  }
  void TearDown() override {
    UseDesktop(nullptr);
    Settings().Clear();
  }
  std::unique_ptr<IniFile> Saved() const { return std::make_unique<IniFile>(folder_.File("plimo.ini").wstring()); }

  static inline testing::XvfbDisplay* display_ = nullptr;
  TempFolder folder_;
  GtkDesktop* gtkDesktop_ = nullptr;
};

TEST_F(GtkDesktopTest, TrayIconShowsTheStateAndFollowsChangesFromOtherThreads) {
  AppIndicator* indicator = gtkDesktop_->Indicator();
  AddTrayIcon(kTrayNormal);
  EXPECT_EQ(app_indicator_get_status(indicator), APP_INDICATOR_STATUS_ACTIVE);
  const std::filesystem::path normal = app_indicator_get_icon(indicator);
  EXPECT_EQ(normal.filename(), "plimo-normal.png");
  EXPECT_TRUE(std::filesystem::exists(normal));
  EXPECT_TRUE(std::filesystem::exists(normal.parent_path() / "plimo-busy.png"));
  EXPECT_STREQ(app_indicator_get_title(indicator), "プリモ");

  auto shown = [indicator] { return std::filesystem::path(app_indicator_get_icon(indicator)).filename(); };
  std::thread([] { SetTrayIconState(kTrayBusy); }).join();
  EXPECT_EQ(shown(), "plimo-normal.png");  // queued to the main thread
  IterateUntil([&shown] { return shown() == "plimo-busy.png"; });
  EXPECT_EQ(shown(), "plimo-busy.png");

  DeleteTrayIcon();
  EXPECT_EQ(app_indicator_get_status(indicator), APP_INDICATOR_STATUS_PASSIVE);
}

TEST_F(GtkDesktopTest, MenuHoldsTheItemsInOrderAndItsChoicesReachTheMainWindow) {
  Settings().SetString(L"LAUNCH_1", L"CAPTION", L"番組&表");
  Settings().SetString(L"LAUNCH_2", L"CAPTION", L"a_b");
  std::vector<std::pair<std::uint32_t, std::intptr_t>> received;
  MainLoop loop([&received](std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) {
    received.push_back({message, message == WM_COMMAND ? static_cast<std::intptr_t>(wparam) : lparam});
    return 0;
  });
  SetMainWindowHandle(&loop);
  gtkDesktop_->ShowTrayMenu(BuildTrayMenu());

  GList* items = gtk_container_get_children(GTK_CONTAINER(gtkDesktop_->Menu()));
  std::vector<std::string> labels;
  for (GList* item = items; item != nullptr; item = item->next) {
    labels.push_back(GTK_IS_SEPARATOR_MENU_ITEM(item->data) ? "-" : gtk_menu_item_get_label(GTK_MENU_ITEM(item->data)));
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"EDCBbatファイルリスト...", "httpサーバ設定...", "ﾗﾝﾁｬ設定...", "-", "番組_表", "a__b", "-",
                                              "終了(_Q)"}));
  EXPECT_EQ(app_indicator_get_secondary_activate_target(gtkDesktop_->Indicator()),
            GTK_WIDGET(g_list_nth_data(items, 4)));
  gtk_menu_item_activate(GTK_MENU_ITEM(g_list_last(items)->data));
  g_list_free(items);
  IterateUntil([&received] { return received.size() >= 2; });
  SetMainWindowHandle(nullptr);
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0], (std::pair<std::uint32_t, std::intptr_t>{WM_COMMAND, 40001}));
  // And the menu is asked for again, as a right click would.
  EXPECT_EQ(received[1], (std::pair<std::uint32_t, std::intptr_t>{WM_APP, kTrayRightButtonUp}));
}

TEST_F(GtkDesktopTest, LauncherDialogWithItsFilePickerSavesWhatWasTyped) {
  Settings().SetString(L"LAUNCH_2", L"CAPTION", L"録画一覧");
  Settings().SetString(L"LAUNCH_2", L"PATH", L"\"/opt/my app/run\" -x");
  bool pickerShown = false;
  WhenShown("launcher", [&pickerShown](GtkWidget* dialog) {
    Screenshot(dialog, "launcher.png");
    WhenShown("chooser", [&pickerShown](GtkWidget* chooser) {
      pickerShown = true;
      EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(chooser)), "参照");
      Screenshot(chooser, "launcher-browse.png");
      gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
    });
    gtk_button_clicked(GTK_BUTTON(FindNamed(dialog, "browse1")));
    SetEntry(dialog, "caption1", "ブラウザ");
    SetEntry(dialog, "path1", "http://127.0.0.1:18990/");
    SetEntry(dialog, "caption2", "");
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  });
  ShowLauncherDialog();
  EXPECT_TRUE(pickerShown);
  auto saved = Saved();
  EXPECT_EQ(saved->GetString(L"LAUNCH_1", L"CAPTION"), L"ブラウザ");
  EXPECT_EQ(saved->GetString(L"LAUNCH_1", L"PATH"), L"http://127.0.0.1:18990/");
  EXPECT_FALSE(saved->HasKey(L"LAUNCH_2", L"CAPTION"));
  EXPECT_EQ(saved->GetString(L"LAUNCH_2", L"PATH"), L"\"/opt/my app/run\" -x");
}

TEST_F(GtkDesktopTest, HttpDialogOkRestartsTheServerOnTheNewPort) {
  UseLoopbackEphemeralPortForTesting();
  ASSERT_TRUE(StartHttpServer());
  Settings().SetInt(L"SYSTEM", L"HTTP_AUTHMODE", 2);
  const std::string port = std::to_string(testing::FreeLoopbackPort());
  WhenShown("http", [&port](GtkWidget* dialog) {
    Screenshot(dialog, "http.png");
    EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(FindNamed(dialog, "authmode"))), 2);
    SetEntry(dialog, "port", port.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(FindNamed(dialog, "authmode")), 0);
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  });
  ShowHttpSettingsDialog();
  EXPECT_EQ(std::to_string(BoundHttpPort()), port);
  EXPECT_EQ(testing::CurlStatus(std::stoi(port)).substr(0, 1), "2");
  EXPECT_EQ(Saved()->GetString(L"SYSTEM", L"HTTPPORT"), Utf8ToWide(port));
  StopHttpServer();
  ResetHttpConfigForTesting();
}

TEST_F(GtkDesktopTest, ListDialogsShowTheEntriesAndTheSelection) {
  Settings().SetString(L"EDCB_BATCHLIST", nullptr, L"/home/tv/bat/エンコード.sh");
  Settings().SetString(L"EDCB_BATCHLIST", nullptr, L"/home/tv/bat/move.sh");
  WhenShown("list", [](GtkWidget* dialog) {
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "batファイルリスト");
    GtkTreeView* list = GTK_TREE_VIEW(FindNamed(dialog, "entries"));
    GtkTreePath* second = gtk_tree_path_new_from_indices(1, -1);
    gtk_tree_selection_select_path(gtk_tree_view_get_selection(list), second);
    gtk_tree_path_free(second);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(FindNamed(dialog, "selection"))), "1");
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(FindNamed(dialog, "text"))), "/home/tv/bat/move.sh");
    WhenShown("list", [](GtkWidget* dialog) {
      Screenshot(dialog, "batch-list.png");
      gtk_button_clicked(GTK_BUTTON(FindNamed(dialog, "delete")));
      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    });
  });
  ShowBatchFileDialog();
  EXPECT_FALSE(Saved()->GetIndexed(L"EDCB_BATCHLIST", 1));

  WhenShown("list", [](GtkWidget* dialog) {
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog)), "録画フォルダリスト");
    SetEntry(dialog, "text", "/home/tv/録画");
    gtk_button_clicked(GTK_BUTTON(FindNamed(dialog, "set")));
    WhenShown("list", [](GtkWidget* dialog) {
      Screenshot(dialog, "folder-list.png");
      gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    });
  });
  ShowRecordingFolderDialog();
  EXPECT_EQ(Saved()->GetIndexed(L"EDCB_RECDIR", 0), L"/home/tv/録画");
}

TEST_F(GtkDesktopTest, MessageBoxesAreInformationDialogsUnderTheProgramsCaption) {
  bool shown = false;
  WhenShown("message", [&shown](GtkWidget* box) {
    shown = true;
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(box)), "プリモ");
    GtkMessageType type;
    g_object_get(box, "message-type", &type, nullptr);
    EXPECT_EQ(type, GTK_MESSAGE_INFO);
    Screenshot(box, "message.png");
    gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  });
  ShowMessageBox(L"起動に失敗しました");
  IterateUntil([&shown] { return shown; });
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace plimod
