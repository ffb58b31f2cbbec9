#include "app/dialog_models/list_dialog_model.h"

#include <algorithm>

#include "app/dialog_models/browse.h"
#include "platform/message_box.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace plimod {

namespace {

constexpr int kNoFilter = 2;

}  // namespace

ListDialogModel::ListDialogModel(IniFile& settings, ListKind kind)
    : settings_(settings), kind_(kind) {
  ReadEntries();
}

const wchar_t* ListDialogModel::Section() const {
  return kind_ == ListKind::kBatchFiles ? L"EDCB_BATCHLIST" : L"EDCB_RECDIR";
}

std::wstring ListDialogModel::Title() const {
  return kind_ == ListKind::kBatchFiles ? L"batファイルリスト" : L"録画フォルダリスト";
}

std::wstring ListDialogModel::ValueColumnTitle() const {
  return kind_ == ListKind::kBatchFiles ? L"batファイル" : L"フォルダ";
}

std::wstring ListDialogModel::RowText(int row) const {
  if (row >= 0 && row < EntryCount()) return entries_[row];
  return kNewRowText;
}

std::wstring ListDialogModel::Label() const {
  return selection_ < 0 ? std::wstring(kNewRowText) : std::to_wstring(selection_);
}

void ListDialogModel::Select(int row) {
  if (row < 0 || row >= EntryCount()) {
    selection_ = -1;
    return;
  }
  selection_ = row;
  editText_ = entries_[row];
}

bool ListDialogModel::StorableText(const std::wstring& text) {
  if (text.empty()) return false;  // an empty line is dropped on load
  // Such a line reads back as a section header.
  return !(text.size() >= 2 && text.front() == L'[' && text.back() == L']');
}

bool ListDialogModel::Set() {
  if (!StorableText(editText_)) {
    ShowMessageBox(kRefusedListText);
    return false;
  }
  auto lock = settings_.Lock();
  if (selection_ < 0) {
    settings_.SetString(Section(), nullptr, editText_, -1);
  } else {
    settings_.DeleteIndexed(Section(), selection_);
    settings_.InsertIndexed(Section(), selection_, editText_);
  }
  ReadEntries();
  return true;
}

bool ListDialogModel::Delete() {
  if (selection_ < 0) return false;
  settings_.DeleteIndexed(Section(), selection_);
  ReadEntries();
  Select(std::min(selection_, EntryCount() - 1));
  return true;
}

bool ListDialogModel::Browse(DialogHost& host) {
  if (kind_ == ListKind::kBatchFiles) return BrowseForFile(host, editText_, kNoFilter);
  return BrowseForFolder(host, editText_);
}

bool ListDialogModel::Close() { return SaveSettings(settings_); }

void ListDialogModel::ReadEntries() {
  auto lock = settings_.Lock();
  entries_.clear();
  while (auto value = settings_.GetIndexed(Section(), static_cast<int>(entries_.size()))) {
    entries_.push_back(std::move(*value));
  }
}

}  // namespace plimod
