#pragma once
// Mail leaves the program through an outside sendmail-compatible program:
// started with "-t" (recipients from the message's own header lines), the
// message on its standard input, and waited for. Its exit code and output
// are not looked at and nothing is retried: a mail that could not be handed
// over is lost.

#include <chrono>
#include <string>
#include <string_view>

#include "settings/ini_file.h"

namespace plimod {

inline constexpr wchar_t kDefaultMailProgram[] = L"sendmane.exe";
// A mail program still running after this long is killed.
inline constexpr std::chrono::milliseconds kMailProgramTimeLimit{120'000};

// [EDCB_ALERT] SENDMAILPATH, else [SYOBOI_ALERT] SENDMAILPATH, else
// kDefaultMailProgram. A value with a folder separator ('/' or '\') is used
// as written; a bare name is taken from the program folder.
std::wstring ResolveSendmailPath(const IniFile& settings);

// Runs `mailProgram -t` in the mail program's folder and hands it `message`
// (code page 932, LF line ends, "To: ", "Subject: ", an empty line, the
// body) byte for byte. Returns when the program has ended or was killed at
// the time limit; at once when it cannot be started. Calls from several
// threads take turns.
void SendMailText(const std::wstring& mailProgram, std::string_view message);

// Replaces kMailProgramTimeLimit (tests).
void SetMailProgramTimeLimit(std::chrono::milliseconds limit);

}  // namespace plimod
