#include "settings/ini_file.h"
#include "settings/ini_values.h"

namespace plimod {

IniSection::IniSection(IniFile& document) : document_(&document) { Bind(document); }

void IniSection::Bind(IniFile& document) {
  document_ = &document;
  auto lock = document.Lock();
  boundId_ = document.current_ != nullptr ? document.current_->id : 0;
}

bool IniSection::Select(const wchar_t* name, bool create) {
  auto lock = document_->Lock();
  boundId_ = 0;
  document_->current_ = nullptr;
  if (name == nullptr) return false;
  name_ = name;
  if (!document_->SelectSection(name) && create) document_->AddSection(name);
  if (document_->current_ != nullptr) boundId_ = document_->current_->id;
  return IsBound();
}

const IniFile::Section* IniSection::ReadTarget(const wchar_t* section) const {
  if (section != nullptr) return document_->FindSection(section);
  if (IsBound()) return document_->FindSectionById(boundId_);
  return document_->current_;
}

IniFile::Section* IniSection::WriteTarget(const wchar_t* section) {
  if (section != nullptr) return document_->FindSection(section);
  IniFile::Section* bound = IsBound() ? document_->FindSectionById(boundId_) : nullptr;
  // Never bound, or the section was deleted meanwhile: bind by name again.
  if (bound == nullptr && Select(name_.c_str(), true)) bound = document_->FindSectionById(boundId_);
  return bound;
}

std::optional<std::wstring> IniSection::GetString(const wchar_t* section,
                                                  const wchar_t* key) const {
  auto lock = document_->Lock();
  return IniFile::ValueIn(ReadTarget(section), key);
}

int IniSection::GetString(const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                          int size) const {
  return CopyIniValue(GetString(section, key), buffer, size);
}

bool IniSection::GetInt(const wchar_t* section, const wchar_t* key, int& out) const {
  std::optional<std::wstring> value = GetString(section, key);
  if (value) out = IniTextToInt(*value);
  return value.has_value();
}

int IniSection::GetIntDefault(const wchar_t* section, const wchar_t* key,
                              int defaultValue) const {
  std::optional<std::wstring> value = GetString(section, key);
  return value ? IniTextToInt(*value) : defaultValue;
}

int IniSection::GetIntList(const wchar_t* section, const wchar_t* key,
                           std::span<int> values) const {
  std::optional<std::wstring> value = GetString(section, key);
  return value ? ParseIniIntList(*value, values) : 0;
}

std::optional<std::wstring> IniSection::GetIndexed(const wchar_t* section, int index) const {
  auto lock = document_->Lock();
  return IniFile::IndexedIn(ReadTarget(section), index);
}

bool IniSection::SetString(const wchar_t* section, const wchar_t* key, std::wstring_view value) {
  auto lock = document_->Lock();
  return document_->SetStringIn(WriteTarget(section), section, key, value, -1);
}

bool IniSection::SetInt(const wchar_t* section, const wchar_t* key, int value) {
  return SetString(section, key, std::to_wstring(value));
}

bool IniSection::SetIntList(const wchar_t* section, const wchar_t* key,
                            std::span<const int> values) {
  return SetString(section, key, FormatIniIntList(values));
}

}  // namespace plimod
