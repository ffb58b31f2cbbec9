#include "settings/ini_file.h"

#include <iterator>

#include "settings/ini_values.h"

namespace plimod {

IniFile::IniFile() = default;

IniFile::IniFile(const std::wstring& path) { Load(path, false); }

IniFile::~IniFile() = default;

std::unique_lock<std::recursive_mutex> IniFile::Lock() const {
  return std::unique_lock<std::recursive_mutex>(mutex_);
}

void IniFile::Reset() { Clear(); }

void IniFile::Clear() {
  auto lock = Lock();
  sections_.clear();
  current_ = nullptr;
  path_.clear();
  unreadablePath_.clear();
  loadError_.clear();
  linesRead_ = 0;
}

std::wstring IniFile::Path() const {
  auto lock = Lock();
  return path_;
}

std::wstring IniFile::UnreadablePath() const {
  auto lock = Lock();
  return unreadablePath_;
}

std::string IniFile::LoadError() const {
  auto lock = Lock();
  return loadError_;
}

int IniFile::LinesRead() const {
  auto lock = Lock();
  return linesRead_;
}

std::size_t IniFile::LineLength(std::wstring_view text) {
  std::size_t n = 0;
  while (n < text.size() && (static_cast<std::uint32_t>(text[n]) >= 0x20 || text[n] == L'\t')) ++n;
  return n;
}

// --- look-ups -------------------------------------------------------------

IniFile::Section* IniFile::FindSection(const wchar_t* name) {
  if (name == nullptr) return current_;
  for (Section& s : sections_) {
    if (SameIniText(s.name, name)) return &s;
  }
  return nullptr;
}

const IniFile::Section* IniFile::FindSection(const wchar_t* name) const {
  return const_cast<IniFile*>(this)->FindSection(name);
}

IniFile::Section* IniFile::FindSectionById(std::uint64_t id) {
  for (Section& s : sections_) {
    if (s.id == id) return &s;
  }
  return nullptr;
}

IniFile::Line* IniFile::FindKey(Section* section, const wchar_t* key) {
  if (section == nullptr || key == nullptr) return nullptr;
  for (Line& line : section->lines) {
    if (line.keyed && SameIniText(line.key, key)) return &line;
  }
  return nullptr;
}

const IniFile::Line* IniFile::FindKey(const Section* section, const wchar_t* key) {
  return FindKey(const_cast<Section*>(section), key);
}

std::optional<std::wstring> IniFile::ValueIn(const Section* section, const wchar_t* key) {
  const Line* line = FindKey(section, key);
  if (line == nullptr) return std::nullopt;
  return line->value;
}

std::optional<std::wstring> IniFile::IndexedIn(const Section* section, int index) {
  if (section == nullptr || index < 0 || static_cast<std::size_t>(index) >= section->lines.size()) {
    return std::nullopt;
  }
  const Line& line = *std::next(section->lines.begin(), index);
  if (line.keyed) return line.key + L"=" + line.value;
  return line.value;
}

bool IniFile::HasSection(const wchar_t* section) const {
  auto lock = Lock();
  return FindSection(section) != nullptr;
}

bool IniFile::HasKey(const wchar_t* section, const wchar_t* key) const {
  auto lock = Lock();
  return FindKey(FindSection(section), key) != nullptr;
}

bool IniFile::SelectSection(const wchar_t* section) {
  auto lock = Lock();
  if (section != nullptr) current_ = FindSection(section);
  return current_ != nullptr;
}

std::optional<std::wstring> IniFile::CurrentSection() const {
  auto lock = Lock();
  if (current_ == nullptr) return std::nullopt;
  return current_->name;
}

// --- getters --------------------------------------------------------------

int IniFile::GetString(const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                       int size) const {
  return CopyIniValue(GetString(section, key), buffer, size);
}

std::optional<std::wstring> IniFile::GetString(const wchar_t* section, const wchar_t* key) const {
  auto lock = Lock();
  return ValueIn(FindSection(section), key);
}

bool IniFile::GetInt(const wchar_t* section, const wchar_t* key, int& out) const {
  std::optional<std::wstring> value = GetString(section, key);
  if (value) out = IniTextToInt(*value);
  return value.has_value();
}

int IniFile::GetIntDefault(const wchar_t* section, const wchar_t* key, int defaultValue) const {
  std::optional<std::wstring> value = GetString(section, key);
  return value ? IniTextToInt(*value) : defaultValue;
}

int IniFile::GetIntList(const wchar_t* section, const wchar_t* key, std::span<int> values) const {
  std::optional<std::wstring> value = GetString(section, key);
  return value ? ParseIniIntList(*value, values) : 0;
}

std::optional<std::wstring> IniFile::GetIndexed(const wchar_t* section, int index) const {
  auto lock = Lock();
  return IndexedIn(FindSection(section), index);
}

// --- setters --------------------------------------------------------------

IniFile::Section& IniFile::AppendSection(std::wstring_view name) {
  Section& s = sections_.emplace_back();
  s.id = nextId_++;
  s.name = SanitizeIniText(name);
  return s;
}

bool IniFile::SetStringIn(Section* section, const wchar_t* sectionName, const wchar_t* key,
                          std::wstring_view value, int index) {
  if (Line* line = FindKey(section, key)) {
    line->value = SanitizeIniText(value);
    return true;
  }
  if (section == nullptr) {
    if (sectionName == nullptr) return false;  // no current section to write to
    section = &AppendSection(sectionName);
  }
  Line line;
  line.keyed = key != nullptr;
  if (key != nullptr) line.key = SanitizeIniText(key);
  line.value = SanitizeIniText(value);
  auto where = section->lines.end();
  if (key == nullptr && index >= 0 && static_cast<std::size_t>(index) < section->lines.size()) {
    where = std::next(section->lines.begin(), index);
  }
  section->lines.insert(where, std::move(line));
  return true;
}

bool IniFile::SetString(const wchar_t* section, const wchar_t* key, std::wstring_view value,
                        int index) {
  auto lock = Lock();
  return SetStringIn(FindSection(section), section, key, value, index);
}

bool IniFile::SetWString(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
  return SetString(section, key, value, -1);
}

bool IniFile::SetInt(const wchar_t* section, const wchar_t* key, int value) {
  return SetString(section, key, std::to_wstring(value), -1);
}

bool IniFile::SetIntList(const wchar_t* section, const wchar_t* key,
                         std::span<const int> values) {
  return SetString(section, key, FormatIniIntList(values), -1);
}

bool IniFile::InsertIndexed(const wchar_t* section, int index, std::wstring_view value) {
  return SetString(section, nullptr, value, index);
}

bool IniFile::DeleteIndexed(const wchar_t* section, int index) {
  auto lock = Lock();
  Section* s = FindSection(section);
  if (s == nullptr || index < 0 || static_cast<std::size_t>(index) >= s->lines.size()) {
    return false;
  }
  s->lines.erase(std::next(s->lines.begin(), index));
  return true;
}

bool IniFile::DeleteKey(const wchar_t* section, const wchar_t* key) {
  auto lock = Lock();
  Section* s = FindSection(section);
  Line* line = FindKey(s, key);
  if (line == nullptr) return false;
  s->lines.remove_if([line](const Line& l) { return &l == line; });
  return true;
}

// --- sections -------------------------------------------------------------

bool IniFile::AddSection(const wchar_t* name) {
  if (name == nullptr) return false;
  auto lock = Lock();
  current_ = &AppendSection(name);
  return true;
}

bool IniFile::RenameSection(const wchar_t* oldName, const wchar_t* newName) {
  if (newName == nullptr) return false;
  auto lock = Lock();
  Section* s = FindSection(oldName);
  if (s == nullptr) return false;
  s->name = SanitizeIniText(newName);
  return true;
}

bool IniFile::DeleteSection(const wchar_t* name) {
  auto lock = Lock();
  Section* s = FindSection(name);
  if (s == nullptr) return false;
  if (current_ == s) current_ = nullptr;
  sections_.remove_if([s](const Section& other) { return &other == s; });
  return true;
}

}  // namespace plimod
