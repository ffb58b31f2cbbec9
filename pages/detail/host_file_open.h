#pragma once
// Files a page writes on the host and opens there with the program
// associated with them (the iEPG exports). Opening goes through a function
// the program registers at start-up (the desktop's opener); without one no
// program is associated with anything.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "server/reply_writer.h"

namespace plimod {

// nullopt when the file opened, else the shell's error code.
using HostFileOpener = std::function<std::optional<int>(const std::wstring& path)>;
void SetHostFileOpener(HostFileOpener opener);

// Opens the file; on failure writes the shell's error text and "\n" and
// returns false.
bool OpenFileWithShell(ReplyWriter& out, const std::wstring& path);

// Replaces `fileName` in the program folder with `bytes` and opens it;
// false when it could not be written or opened.
bool SaveHostFileAndOpen(ReplyWriter& out, const wchar_t* fileName, std::string_view bytes);

}  // namespace plimod
