// The dialogs' behaviour without a display: what they load, what OK, Set,
// Delete and the browse buttons do to the settings document.

#include <gtest/gtest.h>

#include "app/dialog_models/browse.h"
#include "app/dialog_models/http_settings_model.h"
#include "app/dialog_models/launcher_dialog_model.h"
#include "app/dialog_models/list_dialog_model.h"
#include "settings/ini_file.h"
#include "tests/app/dialog_fakes.h"

namespace plimod {
namespace {

using testing::CaughtMessageBoxes;
using testing::ScriptedDesktop;
using testing::TempFolder;

class DialogModelTest : public ::testing::Test {
 protected:
  // The document as the next start of the program would read it.
  std::unique_ptr<IniFile> Reloaded() const { return std::make_unique<IniFile>(folder.File("plimo.ini").wstring()); }

  TempFolder folder;
  IniFile settings{folder.File("plimo.ini").wstring()};
  ScriptedDesktop host;
};

TEST_F(DialogModelTest, LauncherOkWritesFilledFieldsDeletesEmptyOnesAndSaves) {
  settings.SetString(L"LAUNCH_2", L"CAPTION", L"old");
  settings.SetString(L"LAUNCH_2", L"PATH", L"/bin/old");
  LauncherDialogModel model = LoadLauncherDialog(settings);
  ASSERT_EQ(model.rows[1].caption, L"old");
  model.rows[0] = {L"ブラウザ", L"https://example.com/"};
  model.rows[1] = {L"", L"/bin/kept"};
  model.rows[5] = {std::wstring(600, L'x'), L""};

  ASSERT_TRUE(ApplyLauncherDialog(model, settings));
  auto saved = Reloaded();
  EXPECT_EQ(saved->GetString(L"LAUNCH_1", L"CAPTION"), L"ブラウザ");
  EXPECT_EQ(saved->GetString(L"LAUNCH_1", L"PATH"), L"https://example.com/");
  EXPECT_FALSE(saved->HasKey(L"LAUNCH_2", L"CAPTION"));
  EXPECT_EQ(saved->GetString(L"LAUNCH_2", L"PATH"), L"/bin/kept");
  EXPECT_EQ(saved->GetString(L"LAUNCH_6", L"CAPTION"), std::wstring(kMaxLauncherFieldChars, L'x'));
  EXPECT_FALSE(saved->HasKey(L"LAUNCH_6", L"PATH"));
}

TEST_F(DialogModelTest, LauncherBrowseQuotesAPathWithABlankAndStartsFromTheUnquotedField) {
  LauncherDialogModel model;
  model.rows[2].path = L"\"/opt/old app/run\"";
  host.pickFile = [](const std::wstring&, std::wstring& chosen) {
    chosen = L"/opt/my app/run";
    return FilePick::kChosen;
  };
  ASSERT_TRUE(BrowseLauncherPath(host, model, 2));
  EXPECT_EQ(model.rows[2].path, L"\"/opt/my app/run\"");
  ASSERT_EQ(host.fileRequests.size(), 1u);
  EXPECT_EQ(host.fileRequests[0].initial, L"/opt/old app/run");
  EXPECT_EQ(host.fileRequests[0].filterIndex, 1);
}

TEST_F(DialogModelTest, BrowseRetriesOnceWithoutAnUnusableInitialFileAndKeepsTheFieldOnCancel) {
  std::wstring field = L"/no/such/folder/file";
  host.pickFile = [](const std::wstring& initial, std::wstring&) {
    return initial.empty() ? FilePick::kCancelled : FilePick::kInvalidInitialFile;
  };
  EXPECT_FALSE(BrowseForFile(host, field, 0));
  ASSERT_EQ(host.fileRequests.size(), 2u);
  EXPECT_EQ(host.fileRequests[1].initial, L"");
  EXPECT_EQ(field, L"/no/such/folder/file");
}

TEST(FileFilterListTest, ListsFollowTheirIndex) {
  ASSERT_EQ(FileFilterList(0).size(), 2u);
  EXPECT_EQ(FileFilterList(0)[0].kind, FileFilterKind::kAll);
  std::vector<FileFilter> programs = FileFilterList(1);
  ASSERT_EQ(programs.size(), 4u);
  EXPECT_EQ(programs[0].label, L"実行ファイル (*.exe;*.com;*.bat)");
  EXPECT_EQ(programs[2].kind, FileFilterKind::kShellScript);
  EXPECT_TRUE(FileFilterList(2).empty());
}

TEST_F(DialogModelTest, HttpDialogShowsStoredValuesAndTheDefaultPort) {
  EXPECT_EQ(LoadHttpSettingsDialog(settings).port, L"18990");
  EXPECT_EQ(LoadHttpSettingsDialog(settings).authMode, 0);
  settings.SetInt(L"SYSTEM", L"HTTPPORT", 8080);
  settings.SetInt(L"SYSTEM", L"HTTP_AUTHMODE", 2);
  settings.SetString(L"SYSTEM", L"HTTP_AUTH_ID", L"user");
  settings.SetString(L"SYSTEM", L"HTTP_AUTH_PASSWD", L"pass");
  HttpSettingsModel model = LoadHttpSettingsDialog(settings);
  EXPECT_EQ(model.port, L"8080");
  EXPECT_EQ(model.authMode, 2);
  EXPECT_EQ(model.id, L"user");
  EXPECT_EQ(model.password, L"pass");
}

TEST_F(DialogModelTest, HttpOkStoresThePortAsANumberAndAnEmptyPortAsZero) {
  HttpSettingsModel model{L" 8081x", 1, L"id", std::wstring(200, L'p')};
  ASSERT_TRUE(ApplyHttpSettingsDialog(model, settings));
  auto saved = Reloaded();
  EXPECT_EQ(saved->GetString(L"SYSTEM", L"HTTPPORT"), L"8081");
  EXPECT_EQ(saved->GetString(L"SYSTEM", L"HTTP_AUTHMODE"), L"1");
  EXPECT_EQ(saved->GetString(L"SYSTEM", L"HTTP_AUTH_PASSWD"), std::wstring(kMaxHttpAuthChars, L'p'));

  model.port = L"";
  ApplyHttpSettingsDialog(model, settings);
  EXPECT_EQ(Reloaded()->GetString(L"SYSTEM", L"HTTPPORT"), L"0");
  EXPECT_EQ(PortFieldValue(L"abc"), 0);
  EXPECT_EQ(PortFieldValue(L"99999999999"), INT_MAX);
}

TEST_F(DialogModelTest, HttpModeTheListDoesNotKnowIsKeptInsteadOfSwitchingAuthenticationOff) {
  settings.SetInt(L"SYSTEM", L"HTTP_AUTHMODE", 7);
  HttpSettingsModel model = LoadHttpSettingsDialog(settings);
  EXPECT_EQ(model.authMode, -1);
  ApplyHttpSettingsDialog(model, settings);
  EXPECT_EQ(Reloaded()->GetString(L"SYSTEM", L"HTTP_AUTHMODE"), L"7");
}

class ListModelTest : public DialogModelTest {
 protected:
  void AddEntries(std::initializer_list<const wchar_t*> values) {
    for (const wchar_t* value : values) settings.SetString(L"EDCB_RECDIR", nullptr, value);
  }
  std::vector<std::wstring> Rows(const ListDialogModel& model) const {
    std::vector<std::wstring> rows;
    for (int row = 0; row < model.RowCount(); ++row) {
      rows.push_back(model.RowNumber(row) + L" " + model.RowText(row));
    }
    return rows;
  }
  std::vector<std::wstring> StoredEntries(const IniFile& document, const wchar_t* section) const {
    std::vector<std::wstring> entries;
    while (auto value = document.GetIndexed(section, static_cast<int>(entries.size()))) {
      entries.push_back(*value);
    }
    return entries;
  }
};

TEST_F(ListModelTest, OpensWithOneRowPerEntryAndTheNewRowSelectingNothing) {
  AddEntries({L"/rec/a", L"/rec/b"});
  ListDialogModel model(settings, ListKind::kRecordingFolders);
  EXPECT_EQ(Rows(model), (std::vector<std::wstring>{L"0 /rec/a", L"1 /rec/b", L"2 (新規)"}));
  EXPECT_EQ(model.Selection(), -1);
  EXPECT_EQ(model.Label(), L"(新規)");
  EXPECT_EQ(model.ValueColumnTitle(), L"フォルダ");
  ListDialogModel batch(settings, ListKind::kBatchFiles);
  EXPECT_EQ(batch.Title(), L"batファイルリスト");
  EXPECT_EQ(batch.ValueColumnTitle(), L"batファイル");
  EXPECT_EQ(batch.RowCount(), 1);
}

TEST_F(ListModelTest, SelectingFillsTheFieldAndTheNewRowOrEmptySpaceSelectsNothing) {
  AddEntries({L"/rec/a", L"/rec/b"});
  ListDialogModel model(settings, ListKind::kRecordingFolders);
  model.Select(1);
  EXPECT_EQ(model.EditText(), L"/rec/b");
  EXPECT_EQ(model.Label(), L"1");
  model.Select(2);
  EXPECT_EQ(model.Selection(), -1);
  EXPECT_EQ(model.Label(), L"(新規)");
  EXPECT_EQ(model.EditText(), L"/rec/b");
  model.Select(0);
  model.ClickEmpty();
  EXPECT_EQ(model.Selection(), -1);
}

TEST_F(ListModelTest, SetAppendsWithNothingSelectedAndReplacesTheSelectedEntry) {
  AddEntries({L"/rec/a", L"/rec/b"});
  ListDialogModel model(settings, ListKind::kRecordingFolders);
  model.EditText() = L"/rec/c";
  ASSERT_TRUE(model.Set());
  EXPECT_EQ(Rows(model).back(), L"3 (新規)");
  EXPECT_EQ(model.RowText(2), L"/rec/c");
  EXPECT_EQ(model.Selection(), -1);

  model.Select(0);
  model.EditText() = L"/rec/a2";
  ASSERT_TRUE(model.Set());
  EXPECT_EQ(model.Selection(), 0);
  EXPECT_EQ(StoredEntries(settings, L"EDCB_RECDIR"),
            (std::vector<std::wstring>{L"/rec/a2", L"/rec/b", L"/rec/c"}));
}

TEST_F(ListModelTest, DeletingTheOnlyEntryLeavesTheNewRowAndSelectsNothing) {
  AddEntries({L"/rec/only"});
  ListDialogModel model(settings, ListKind::kRecordingFolders);
  model.Select(0);
  ASSERT_TRUE(model.Delete());
  EXPECT_EQ(Rows(model), (std::vector<std::wstring>{L"0 (新規)"}));
  EXPECT_EQ(model.Selection(), -1);
  EXPECT_EQ(model.Label(), L"(新規)");
  EXPECT_FALSE(model.Delete());
}

TEST_F(ListModelTest, DeletingMovesTheSelectionToTheEntryNowInItsPlaceOrTheLastOne) {
  AddEntries({L"/rec/a", L"/rec/b", L"/rec/c"});
  ListDialogModel model(settings, ListKind::kRecordingFolders);
  model.Select(1);
  ASSERT_TRUE(model.Delete());
  EXPECT_EQ(model.Selection(), 1);
  EXPECT_EQ(model.EditText(), L"/rec/c");
  ASSERT_TRUE(model.Delete());
  EXPECT_EQ(model.Selection(), 0);
  EXPECT_EQ(model.EditText(), L"/rec/a");
  EXPECT_EQ(Rows(model), (std::vector<std::wstring>{L"0 /rec/a", L"1 (新規)"}));
}

TEST_F(ListModelTest, TextsThatWouldNotReadBackAreRefusedWithAMessage) {
  AddEntries({L"/rec/a"});
  CaughtMessageBoxes boxes;
  ListDialogModel model(settings, ListKind::kRecordingFolders);
  for (const wchar_t* text : {L"", L"[EDCB_RECDIR]", L"[]"}) {
    model.EditText() = text;
    EXPECT_FALSE(model.Set()) << text;
  }
  ASSERT_EQ(boxes.texts.size(), 3u);
  EXPECT_EQ(boxes.texts[0], kRefusedListText);
  EXPECT_EQ(boxes.captions[0], L"プリモ");

  // What is still accepted survives a save and a reload unchanged.
  for (const wchar_t* text : {L"[", L"/rec/[x]", L"/rec/a=b", L"[x] y"}) {
    model.EditText() = text;
    EXPECT_TRUE(model.Set()) << text;
  }
  ASSERT_TRUE(model.Close());
  EXPECT_EQ(StoredEntries(*Reloaded(), L"EDCB_RECDIR"),
            (std::vector<std::wstring>{L"/rec/a", L"[", L"/rec/[x]", L"/rec/a=b", L"[x] y"}));
}

TEST_F(ListModelTest, BrowseOffersTheFolderPickerOrTheFilePickerByMode) {
  ListDialogModel folders(settings, ListKind::kRecordingFolders);
  folders.EditText() = L"/rec";
  host.pickFolder = [](const std::wstring&) { return std::wstring(L"/rec/new folder"); };
  ASSERT_TRUE(folders.Browse(host));
  EXPECT_EQ(folders.EditText(), L"/rec/new folder");
  EXPECT_EQ(host.folderRequests, std::vector<std::wstring>{L"/rec"});

  ListDialogModel batches(settings, ListKind::kBatchFiles);
  host.pickFile = [](const std::wstring&, std::wstring& chosen) {
    chosen = L"/bat/after rec.sh";
    return FilePick::kChosen;
  };
  ASSERT_TRUE(batches.Browse(host));
  EXPECT_EQ(batches.EditText(), L"\"/bat/after rec.sh\"");
  EXPECT_EQ(host.fileRequests.back().filterIndex, 2);
}

}  // namespace
}  // namespace plimod
