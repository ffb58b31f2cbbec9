#include "services/mail_sender.h"

#include <atomic>
#include <mutex>

#include "services/child_process.h"
#include "util/module_paths.h"

namespace plimod {

namespace {

constexpr std::wstring_view kFolderSeparators = L"/\\";

std::atomic<std::chrono::milliseconds> timeLimit{kMailProgramTimeLimit};

// The recording watcher and the calendar alert mail from different threads;
// they share the one child slot in turn.
std::mutex slotMutex;
ChildProcess slot;

std::wstring SettingOrEmpty(const IniFile& settings, const wchar_t* section) {
  return settings.GetString(section, L"SENDMAILPATH").value_or(L"");
}

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t last = path.find_last_of(kFolderSeparators);
  if (last == std::wstring::npos) return {};
  return last == 0 ? path.substr(0, 1) : path.substr(0, last);
}

}  // namespace

std::wstring ResolveSendmailPath(const IniFile& settings) {
  std::wstring path = SettingOrEmpty(settings, L"EDCB_ALERT");
  if (path.empty()) path = SettingOrEmpty(settings, L"SYOBOI_ALERT");
  if (path.empty()) path = kDefaultMailProgram;
  if (path.find_first_of(kFolderSeparators) != std::wstring::npos) return path;
  return GetModuleDir() + path;
}

void SendMailText(const std::wstring& mailProgram, std::string_view message) {
  std::lock_guard lock(slotMutex);
  const auto deadline = std::chrono::steady_clock::now() + timeLimit.load();
  if (!StartChildProcessWith(slot, mailProgram, L"-t", FolderOf(mailProgram))) return;
  WriteChildInput(slot, message, deadline);
  WaitChildProcess(slot, deadline);
}

void SetMailProgramTimeLimit(std::chrono::milliseconds limit) { timeLimit = limit; }

}  // namespace plimod
