#include "tests/support/devtools_browser.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "platform/text_codec.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace plimod::test {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kCallBound = 30s;
constexpr auto kLoadBound = 40s;
// The browser reads commands from descriptor 3 and writes to 4.
constexpr int kBrowserIn = 3;
constexpr int kBrowserOut = 4;

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[(c >> 4) & 0xF];
      out += hex[c & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// The text of the first string member `name` of a message (the browser's
// replies are small enough that the first is the one asked for).
std::optional<std::string> StringMember(const std::string& message, const std::string& name) {
  const std::string key = "\"" + name + "\":\"";
  std::size_t at = message.find(key);
  if (at == std::string::npos) return std::nullopt;
  std::wstring text;
  for (at += key.size(); at < message.size() && message[at] != '"';) {
    if (message[at] != '\\') {
      const std::size_t end = message.find_first_of("\"\\", at);
      text += Utf8ToWide(message.substr(at, end - at));
      at = end;
      continue;
    }
    const char escaped = at + 1 < message.size() ? message[at + 1] : '"';
    at += 2;
    switch (escaped) {
      case 'n': text += L'\n'; break;
      case 't': text += L'\t'; break;
      case 'r': text += L'\r'; break;
      case 'b': text += L'\b'; break;
      case 'f': text += L'\f'; break;
      case 'u': {
        const wchar_t unit = static_cast<wchar_t>(std::stoul(message.substr(at, 4), nullptr, 16));
        at += 4;
        // The second half of a pair joins the first.
        if (unit >= 0xDC00 && unit < 0xE000 && !text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00) {
          text.back() = static_cast<wchar_t>(0x10000 + ((text.back() - 0xD800) << 10) + (unit - 0xDC00));
        } else {
          text += unit;
        }
        break;
      }
      default: text += static_cast<wchar_t>(escaped);
    }
  }
  return WideToUtf8String(text);
}

std::string DecodeBase64(const std::string& text) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (const char c : text) {
    int value = -1;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    if (c >= '0' && c <= '9') value = c - '0' + 52;
    if (c == '+') value = 62;
    if (c == '/') value = 63;
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

// A descriptor above the ones the child is to get, so that placing them
// never overwrites one still to be placed.
UniqueFd Lifted(int fd) {
  UniqueFd original(fd);
  return UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 10));
}

}  // namespace

DevToolsBrowser::DevToolsBrowser(const std::string& chromium) : profile_(std::make_unique<TempFolder>("plimod-devtools")) {
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0) return;
  if (::pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return;
  }
  const UniqueFd browserIn = Lifted(in[0]);
  toBrowser_ = Lifted(in[1]);
  fromBrowser_ = Lifted(out[0]);
  const UniqueFd browserOut = Lifted(out[1]);

  std::vector<std::string> args = {chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                   "--no-first-run", "--disable-background-networking",
                                   "--disable-component-update", "--disable-sync",
                                   "--user-data-dir=" + profile_->File("data").string(), "--remote-debugging-pipe",
                                   "--hide-scrollbars", "about:blank"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string errors = profile_->File("stderr.txt").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, browserIn.get(), kBrowserIn);
  posix_spawn_file_actions_adddup2(&actions, browserOut.get(), kBrowserOut);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, chromium.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return;
  pid_ = pid;

  const std::string target = Call("Target.createTarget", "{\"url\":\"about:blank\"}", false);
  const auto targetId = StringMember(target, "targetId");
  if (!targetId) return;
  const std::string attached =
      Call("Target.attachToTarget", "{\"targetId\":" + JsonString(*targetId) + ",\"flatten\":true}", false);
  const auto session = StringMember(attached, "sessionId");
  if (!session) return;
  session_ = *session;
  if (Call("Page.enable", "{}").empty()) session_.clear();
}

DevToolsBrowser::~DevToolsBrowser() {
  if (pid_ > 0) {
    Call("Browser.close", "{}", false);
    toBrowser_.reset();
    fromBrowser_.reset();
    StopProcess(pid_, 10s);
  }
}

std::string DevToolsBrowser::Log() const { return ReadFileBytes(profile_->File("stderr.txt")); }

bool DevToolsBrowser::EmulatePhone(int width, int height) {
  return !Call("Emulation.setDeviceMetricsOverride", "{\"width\":" + std::to_string(width) + ",\"height\":" +
                                                         std::to_string(height) +
                                                         ",\"deviceScaleFactor\":1,\"mobile\":true}")
              .empty();
}

bool DevToolsBrowser::Open(const std::string& url) {
  events_.clear();
  return !Call("Page.navigate", "{\"url\":" + JsonString(url) + "}").empty() && WaitForLoad();
}

bool DevToolsBrowser::Click(const std::string& elementJs) {
  events_.clear();
  // A link that opens a new window opens in this one instead.
  const auto clicked = Evaluate("(function(){var e=" + elementJs +
                                ";if(!e)return 'none';e.removeAttribute('target');e.click();return 'ok';})()");
  return clicked == "ok" && WaitForLoad();
}

std::optional<std::string> DevToolsBrowser::Evaluate(const std::string& expression) {
  const std::string reply =
      Call("Runtime.evaluate", "{\"expression\":" + JsonString("String(" + expression + ")") + ",\"returnByValue\":true}");
  if (reply.empty() || reply.find("\"exceptionDetails\"") != std::string::npos) return std::nullopt;
  return StringMember(reply, "value");
}

std::string DevToolsBrowser::Text() { return Evaluate("document.body ? document.body.innerText : ''").value_or(""); }

bool DevToolsBrowser::Screenshot(const std::filesystem::path& png) {
  const auto data = StringMember(Call("Page.captureScreenshot", "{\"format\":\"png\"}"), "data");
  if (!data) return false;
  std::ofstream(png, std::ios::binary) << DecodeBase64(*data);
  return std::filesystem::file_size(png) > 0;
}

std::string DevToolsBrowser::Call(const std::string& method, const std::string& params, bool toTab) {
  if (!toBrowser_) return {};
  const std::uint64_t id = nextId_++;
  std::string message = "{\"id\":" + std::to_string(id) + ",\"method\":" + JsonString(method) + ",\"params\":" + params;
  if (toTab) message += ",\"sessionId\":" + JsonString(session_);
  message += "}";
  message += '\0';
  for (std::size_t sent = 0; sent < message.size();) {
    const ssize_t n = ::write(toBrowser_.get(), message.data() + sent, message.size() - sent);
    if (n <= 0) return {};
    sent += static_cast<std::size_t>(n);
  }
  const std::string replyStart = "{\"id\":" + std::to_string(id) + ",";
  const auto until = Clock::now() + kCallBound;
  while (auto received = Receive(until)) {
    if (!received->starts_with(replyStart)) {
      events_.push_back(std::move(*received));
      continue;
    }
    if (received->starts_with(replyStart + "\"error\"")) return {};
    return *received;
  }
  return {};
}

bool DevToolsBrowser::WaitForLoad() {
  const auto until = Clock::now() + kLoadBound;
  for (;;) {
    for (const std::string& event : events_) {
      if (event.find("\"method\":\"Page.loadEventFired\"") != std::string::npos) {
        events_.clear();
        return true;
      }
    }
    events_.clear();
    auto received = Receive(until);
    if (!received) return false;
    events_.push_back(std::move(*received));
  }
}

std::optional<std::string> DevToolsBrowser::Receive(Clock::time_point until) {
  for (;;) {
    const std::size_t end = received_.find('\0');
    if (end != std::string::npos) {
      std::string message = received_.substr(0, end);
      received_.erase(0, end + 1);
      return message;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0 || !fromBrowser_) return std::nullopt;
    pollfd p{fromBrowser_.get(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buffer[65536];
    const ssize_t n = ::read(fromBrowser_.get(), buffer, sizeof buffer);
    if (n <= 0) {
      fromBrowser_.reset();  // the browser ended
      return std::nullopt;
    }
    received_.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace plimod::test
