#include "pages/detail/host_file_open.h"

#include <mutex>
#include <utility>

#include "platform/file.h"
#include "platform/text_codec.h"
#include "server/page_reply.h"
#include "util/module_paths.h"
#include "util/text_shell_error.h"

namespace plimod {

namespace {

constexpr int kNoAssociation = 31;
constexpr std::size_t kErrorTextBytes = 63;

std::mutex openerMutex;
HostFileOpener hostOpener;

HostFileOpener CurrentOpener() {
  std::lock_guard lock(openerMutex);
  return hostOpener;
}

}  // namespace

void SetHostFileOpener(HostFileOpener opener) {
  std::lock_guard lock(openerMutex);
  hostOpener = std::move(opener);
}

bool OpenFileWithShell(ReplyWriter& out, const std::wstring& path) {
  const HostFileOpener opener = CurrentOpener();
  const std::optional<int> error = opener ? opener(path) : std::optional<int>(kNoAssociation);
  if (!error) return true;
  std::string text = WideToUtf8String(ShellExecuteErrorText(*error));
  text.resize(Utf8CutPoint(text, kErrorTextBytes));
  SendPageString(out, text + "\n");
  return false;
}

bool SaveHostFileAndOpen(ReplyWriter& out, const wchar_t* fileName, std::string_view bytes) {
  const std::wstring path = GetModuleDir() + fileName;
  // Several requests may export at once: a reader never sees half a file.
  if (!ReplaceFileAtomically(path, bytes)) return false;
  return OpenFileWithShell(out, path);
}

}  // namespace plimod
