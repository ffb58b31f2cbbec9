#pragma once
// How a launcher entry's path is taken: a URL, a document to open with
// its associated program, or a command line to start.

#include <optional>
#include <string>
#include <vector>

namespace plimod {

enum class LaunchKind { kUrl, kDocument, kCommand };

// A URL holds "://" and no blank; else an existing file (or folder) is a
// document; anything else is a command line.
LaunchKind ClassifyLaunchPath(const std::wstring& path, bool exists);

// Splits a command line into program and arguments as a shell would (blanks
// separate, quotes and backslashes group), without expanding anything or
// running a shell. nullopt for an empty line or an unclosed quote.
std::optional<std::vector<std::string>> SplitCommandLine(const std::wstring& commandLine);

}  // namespace plimod
