#include "app/launcher_path.h"

#include <glib.h>

#include "platform/text_codec.h"

namespace plimod {

LaunchKind ClassifyLaunchPath(const std::wstring& path, bool exists) {
  if (path.find(L' ') == std::wstring::npos && path.find(L"://") != std::wstring::npos) {
    return LaunchKind::kUrl;
  }
  return exists ? LaunchKind::kDocument : LaunchKind::kCommand;
}

std::optional<std::vector<std::string>> SplitCommandLine(const std::wstring& commandLine) {
  const std::string text = WideToUtf8String(commandLine);
  int argc = 0;
  gchar** argv = nullptr;
  if (!g_shell_parse_argv(text.c_str(), &argc, &argv, nullptr)) return std::nullopt;
  std::vector<std::string> words(argv, argv + argc);
  g_strfreev(argv);
  return words;
}

}  // namespace plimod
