#pragma once
// Opening URLs and documents on the host (through xdg-open) and starting
// programs (posix_spawn, no shell). Nothing here waits for the program it
// started; OpenDocument waits a bounded time for xdg-open's verdict.

#include <sys/types.h>

#include <optional>
#include <string>

namespace plimod {

// Starts xdg-open for the URL; its result is not checked. Returns the
// child's id, -1 when it could not be started.
pid_t OpenUrl(const std::wstring& url);
// Opens the file or folder with its associated program; on failure shows
// the reason (ShellExecuteErrorText) in a message box and returns false.
bool OpenDocument(const std::wstring& path);
// The same without the message box: the shell's error code, nullopt when it
// opened.
std::optional<int> OpenDocumentError(const std::wstring& path);
// Starts the command line (SplitCommandLine); on failure shows
// "起動に失敗しました" and returns -1.
pid_t StartProcess(const std::wstring& commandLine);

// Hands a started child to the reaper, which collects it once it ended
// (at the next start of another child), so no zombie stays for long.
void ReapLater(pid_t pid);

// Result codes of the shell's error texts for an errno value and for an
// exit status of xdg-open (2 missing file, 3 and 4 no program for it).
int ShellErrorCodeForErrno(int error);
int ShellErrorCodeForOpenerExit(int exitStatus);

}  // namespace plimod
