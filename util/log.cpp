#include "util/log.h"

#include <cstdarg>
#include <cstdio>

#include "util/logger.h"

namespace plimod {
namespace {

Logger& ProcessLog() {
  static Logger log;
  return log;
}

std::string FormatText(const char* format, va_list args) {
  va_list sizing;
  va_copy(sizing, args);
  const int length = std::vsnprintf(nullptr, 0, format, sizing);
  va_end(sizing);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.pop_back();
  return text;
}

}  // namespace

bool LogWrite(const char* format, ...) {
  if (!ProcessLog().Accepting()) return false;
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  return ProcessLog().Write(text);
}

void LogWriteNoPost(const char* format, ...) {
  if (!ProcessLog().Accepting()) return;
  va_list args;
  va_start(args, format);
  std::string text = FormatText(format, args);
  va_end(args);
  ProcessLog().WriteNoPost(text);
}

void FlushLogQueue() { ProcessLog().Flush(); }

void SetLogSwitch(std::function<bool()> isOn) { ProcessLog().SetSwitch(std::move(isOn)); }

void SetLogFlushPoster(std::function<bool()> post) {
  ProcessLog().SetFlushPoster(std::move(post));
}

std::wstring LogFilePath() { return ProcessLog().Path(); }

void ResetLogForTesting() { ProcessLog().Restart(); }

}  // namespace plimod
