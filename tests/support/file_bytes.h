#pragma once
// Whole files as bytes, for setting up and checking files in tests.

#include <filesystem>
#include <string>

namespace plimod::test {

// Empty when the file cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
// Replaces the file's content.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace plimod::test
