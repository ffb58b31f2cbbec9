#pragma once
// The settings document: an INI file held in memory as wide text.
//
// Sections keep their file order; each holds an ordered list of lines that
// are either keyed ("key=value") or value-only (bare values that make the
// section an ordered list). On disk the file is UTF-16LE with a byte-order
// mark and CR LF line ends. Nothing is saved implicitly: whoever changes a
// setting calls Save.
//
// Section arguments: a null pointer means the document's current section
// (see SelectSection / AddSection). Names and keys compare exactly.
// Duplicate sections or keys stay in the document; look-ups find the first.
//
// Thread safety: every operation takes the document's mutex, and getters
// hand out copies. Code that must combine several calls (for example
// "select a section, then read it through null section arguments") holds
// Lock() around them; the mutex is recursive.
//
// Texts stored by setters have every character below U+0020 except TAB
// turned into a blank, so no value, key or name can break the file; look-ups
// compare names and keys in that same form.
// Values that still do not survive a reload unchanged: an empty value-only
// line (dropped), and a value-only line that starts with "[" and ends with
// "]" (read back as a section).

#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plimod {

class IniSection;

class IniFile {
 public:
  IniFile();
  // Loads `path` with okIfMissing false; a missing file leaves an empty
  // document that remembers the path.
  explicit IniFile(const std::wstring& path);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;

  // Holds the document's mutex (recursive) for a sequence of calls.
  std::unique_lock<std::recursive_mutex> Lock() const;

  // Empties the document; same as Clear here (nothing is left to leak).
  void Reset();
  // Replaces the document with the file's content. A missing file returns
  // okIfMissing and keeps the path. Any other failure (unreadable file,
  // line before the first section, stray control character, U+0000 inside
  // the text) empties the document and forgets the path, so Save(nullptr)
  // then fails instead of overwriting the file; the reason goes to stderr.
  bool Load(const std::wstring& path, bool okIfMissing);
  // Empty document, no current section, empty path.
  void Clear();
  // Writes the document to `path`, or to the remembered path when null,
  // through a temporary file and rename. A file the program creates gets
  // mode 0600 (it holds the HTTP password). False on any failure.
  bool Save(const wchar_t* path = nullptr);
  // The remembered path (empty when none).
  std::wstring Path() const;
  // The file the last load could not read, and why (both empty when the
  // load went well). Saves without a path are refused meanwhile; messages
  // about them name this file.
  std::wstring UnreadablePath() const;
  std::string LoadError() const;
  // Lines counted by the last load.
  int LinesRead() const;

  // Characters from the start of `text` that are U+0020 or above, or TAB.
  static std::size_t LineLength(std::wstring_view text);

  bool HasSection(const wchar_t* section) const;
  bool HasKey(const wchar_t* section, const wchar_t* key) const;
  // The current section becomes the named one, or none when it is missing;
  // a null name leaves it unchanged. True when a section is current after.
  bool SelectSection(const wchar_t* section);
  // Name of the current section, if any.
  std::optional<std::wstring> CurrentSection() const;

  // Copies the value into `buffer` (emptied first when size > 0); a value
  // of `size` characters or more is cut to size - 1. Returns the length
  // copied, the value's full length when `buffer` is null, -1 when missing.
  int GetString(const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                int size) const;
  // The value, or nullopt when the section or key is missing.
  std::optional<std::wstring> GetString(const wchar_t* section, const wchar_t* key) const;
  // With a key: replaces the first keyed line with that key, else appends.
  // Without a key (null): adds a value-only line, appended when `index` < 0
  // or past the end, else inserted before the index-th line. A missing
  // section is appended to the document (it does not become current).
  // False when the section is null and none is current.
  bool SetString(const wchar_t* section, const wchar_t* key, std::wstring_view value,
                 int index = -1);
  bool SetWString(const wchar_t* section, const wchar_t* key, const std::wstring& value);

  // The value read like atoi (leading blanks, sign, digits; 0 for text).
  bool GetInt(const wchar_t* section, const wchar_t* key, int& out) const;
  int GetIntDefault(const wchar_t* section, const wchar_t* key, int defaultValue) const;
  bool SetInt(const wchar_t* section, const wchar_t* key, int value);
  // Comma-separated numbers into `values` (at most values.size()); returns
  // the count read, 0 when missing. Reading stops at the first number not
  // followed by ",".
  int GetIntList(const wchar_t* section, const wchar_t* key, std::span<int> values) const;
  // "1,2,3"; stops adding numbers once the text passes 1022 characters.
  bool SetIntList(const wchar_t* section, const wchar_t* key, std::span<const int> values);

  // The index-th line (0-based, keyed and value-only alike): the value of a
  // value-only line, "key=value" for a keyed line (so a bare value holding
  // "=" survives a reload). nullopt when missing.
  std::optional<std::wstring> GetIndexed(const wchar_t* section, int index) const;
  bool InsertIndexed(const wchar_t* section, int index, std::wstring_view value);
  bool DeleteIndexed(const wchar_t* section, int index);
  // Removes the first keyed line with that key.
  bool DeleteKey(const wchar_t* section, const wchar_t* key);

  // Appends an empty section (even when one of that name exists) and makes
  // it current.
  bool AddSection(const wchar_t* name);
  bool RenameSection(const wchar_t* oldName, const wchar_t* newName);
  // Removes the section and its lines; no section is current afterwards
  // when it was the current one.
  bool DeleteSection(const wchar_t* name);

 private:
  friend class IniSection;

  struct Line {
    bool keyed = false;
    std::wstring key;
    std::wstring value;
  };
  struct Section {
    std::uint64_t id = 0;
    std::wstring name;
    std::list<Line> lines;
  };

  Section* FindSection(const wchar_t* name);
  const Section* FindSection(const wchar_t* name) const;
  Section* FindSectionById(std::uint64_t id);
  static Line* FindKey(Section* section, const wchar_t* key);
  static const Line* FindKey(const Section* section, const wchar_t* key);
  static std::optional<std::wstring> ValueIn(const Section* section, const wchar_t* key);
  static std::optional<std::wstring> IndexedIn(const Section* section, int index);
  Section& AppendSection(std::wstring_view name);
  // Writes into `section`; when that is null, appends the section named
  // `sectionName` first (false when that is null too).
  bool SetStringIn(Section* section, const wchar_t* sectionName, const wchar_t* key,
                   std::wstring_view value, int index);
  bool ParseDocument(std::wstring_view text, std::string& error);
  std::wstring SerializeDocument() const;

  mutable std::recursive_mutex mutex_;
  std::list<Section> sections_;
  Section* current_ = nullptr;
  std::wstring path_;
  std::wstring unreadablePath_;
  std::string loadError_;
  int linesRead_ = 0;
  std::uint64_t nextId_ = 1;
};

// A cursor bound to one section of a document, which creates the section
// at its first write. Its calls name their section instead of changing the
// document's current section, so cursors on several threads do not disturb
// each other. A null section argument means the bound section; with none
// bound, getters use the document's current section and setters first
// select (creating) the stored name.
class IniSection {
 public:
  // Binds to the document's current section (possibly none); empty name.
  explicit IniSection(IniFile& document);
  // The same on an existing cursor; the stored name stays.
  void Bind(IniFile& document);
  // Stores the name, makes the named section the document's current one
  // (adding it when missing and `create` is set) and binds to it. Returns
  // whether a section is bound.
  bool Select(const wchar_t* name, bool create);
  bool IsBound() const { return boundId_ != 0; }
  IniFile& Document() const { return *document_; }

  int GetString(const wchar_t* section, const wchar_t* key, wchar_t* buffer, int size) const;
  std::optional<std::wstring> GetString(const wchar_t* section, const wchar_t* key) const;
  bool GetInt(const wchar_t* section, const wchar_t* key, int& out) const;
  int GetIntDefault(const wchar_t* section, const wchar_t* key, int defaultValue) const;
  int GetIntList(const wchar_t* section, const wchar_t* key, std::span<int> values) const;
  // The index-th line, as IniFile::GetIndexed (null: the bound section).
  std::optional<std::wstring> GetIndexed(const wchar_t* section, int index) const;

  // Append or replace, as IniFile::SetString with index -1.
  bool SetString(const wchar_t* section, const wchar_t* key, std::wstring_view value);
  bool SetInt(const wchar_t* section, const wchar_t* key, int value);
  bool SetIntList(const wchar_t* section, const wchar_t* key, std::span<const int> values);

  bool Save(const wchar_t* path = nullptr) { return document_->Save(path); }

 private:
  // The section a getter works on (null when none).
  const IniFile::Section* ReadTarget(const wchar_t* section) const;
  // The section a setter works on, bound (and created) on demand.
  IniFile::Section* WriteTarget(const wchar_t* section);

  IniFile* document_;
  std::uint64_t boundId_ = 0;
  std::wstring name_;
};

}  // namespace plimod
