#include "platform/message_box.h"

#include <cstdio>
#include <mutex>

#include "platform/text_codec.h"

namespace plimod {
namespace {

struct SinkHolder {
  std::mutex mutex;
  MessageBoxSink sink;
};

SinkHolder& TheSink() {
  static SinkHolder holder;
  return holder;
}

void WriteToStandardError(std::wstring_view text, std::wstring_view caption) {
  const std::string line = WideToUtf8String(caption) + ": " + WideToUtf8String(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void ShowMessageBox(std::wstring_view text, std::wstring_view caption) {
  MessageBoxSink sink;
  {
    std::lock_guard lock(TheSink().mutex);
    sink = TheSink().sink;
  }
  if (sink) {
    sink(text, caption);
  } else {
    WriteToStandardError(text, caption);
  }
}

void SetMessageBoxSink(MessageBoxSink sink) {
  std::lock_guard lock(TheSink().mutex);
  TheSink().sink = std::move(sink);
}

}  // namespace plimod
