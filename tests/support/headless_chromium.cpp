#include "tests/support/headless_chromium.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "server/base64.h"
#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

namespace {

// The text as the page wrote it: the dump writes & < > as references.
std::string TextOfDom(std::string text) {
  for (const auto& [reference, character] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&amp;", "&"}}) {
    for (std::size_t at = text.find(reference); at != std::string::npos; at = text.find(reference, at + 1)) {
      text.replace(at, std::string_view(reference).size(), character);
    }
  }
  return text;
}

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kAnswerWait{60};  // a browser starting on a busy machine
constexpr std::chrono::seconds kCloseWait{10};
constexpr auto kPollStep = std::chrono::milliseconds(100);

// A text as a JSON string literal.
std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// The first string value of `key` in a DevTools message, unescaped to
// UTF-8. The messages here have that key once, or first where it matters.
std::optional<std::string> JsonStringField(const std::string& message, const std::string& key) {
  const std::string marker = "\"" + key + "\":\"";
  std::size_t at = message.find(marker);
  if (at == std::string::npos) return std::nullopt;
  std::string out;
  for (at += marker.size(); at < message.size() && message[at] != '"'; ++at) {
    if (message[at] != '\\') {
      out += message[at];
      continue;
    }
    if (++at >= message.size()) return std::nullopt;
    switch (const char c = message[at]) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'u': {
        if (at + 4 >= message.size()) return std::nullopt;
        unsigned code = std::stoul(message.substr(at + 1, 4), nullptr, 16);
        at += 4;
        if (code >= 0xD800 && code < 0xDC00 && message.compare(at + 1, 2, "\\u") == 0) {
          const unsigned low = std::stoul(message.substr(at + 3, 4), nullptr, 16);
          code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          at += 6;
        }
        AppendUtf8(out, code);
        break;
      }
      default: out += c;
    }
  }
  return out;
}

// "--window-size=W,H" among Chromium's options, as {W, H}.
std::optional<std::pair<int, int>> WindowSize(const std::string& arguments) {
  const std::string option = "--window-size=";
  const std::size_t at = arguments.find(option);
  if (at == std::string::npos) return std::nullopt;
  int width = 0;
  int height = 0;
  if (std::sscanf(arguments.c_str() + at + option.size(), "%d,%d", &width, &height) != 2) return std::nullopt;
  return std::pair{width, height};
}

std::vector<std::string> SplitOptions(const std::string& arguments) {
  std::vector<std::string> words;
  std::istringstream in(arguments);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

std::string FindChromium() {
  for (const char* name : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (access(name, X_OK) == 0) return name;
  }
  return {};
}

bool BrowserChecksRequired() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && (std::string_view(ci) == "true" || std::string_view(ci) == "1");
}

std::string RunChromium(const std::string& chromium, const std::string& arguments, const std::string& url,
                        std::string& log) {
  const TempFolder profile("plimod-chromium");
  const std::filesystem::path errors = profile.File("stderr.txt");
  const std::string command = "timeout 120 " + chromium +
                              " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                              " --disable-background-networking --disable-component-update --disable-sync"
                              " --user-data-dir=" + profile.File("data").string() +
                              " --enable-logging=stderr --v=0 " + arguments + " '" + url + "' 2>" + errors.string();
  const std::string out = CommandOutput(command);
  log = ReadFileBytes(errors);
  return out;
}

std::map<std::string, std::string> ParseCheckReport(const std::string& dom) {
  std::map<std::string, std::string> values;
  const std::size_t begin = dom.find("<pre id=\"result\">");
  const std::size_t end = dom.find("</pre>", begin);
  if (begin == std::string::npos || end == std::string::npos) return values;
  std::istringstream lines(dom.substr(begin + 17, end - begin - 17));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = TextOfDom(line.substr(eq + 1));
  }
  return values;
}

int ReportNumber(const std::map<std::string, std::string>& report, const std::string& key) {
  const auto it = report.find(key);
  return it == report.end() ? -1 : std::atoi(it->second.c_str());
}

ChromiumPage::ChromiumPage(const std::string& chromium, const std::string& arguments) {
  if (!Start(chromium, arguments)) return;
  const std::optional<std::string> target = Call("Target.createTarget", R"({"url":"about:blank"})");
  const std::optional<std::string> targetId = target ? JsonStringField(*target, "targetId") : std::nullopt;
  if (!targetId) return;
  const std::optional<std::string> attached =
      Call("Target.attachToTarget", R"({"targetId":)" + JsonString(*targetId) + R"(,"flatten":true})");
  const std::optional<std::string> session = attached ? JsonStringField(*attached, "sessionId") : std::nullopt;
  if (!session) return;
  session_ = *session;
  // The window's size is the screen of the page, as --screenshot takes it.
  if (const auto size = WindowSize(arguments); size && !SetScreen(size->first, size->second, false)) session_.clear();
}

bool ChromiumPage::SetScreen(int width, int height, bool mobile) {
  return Call("Emulation.setDeviceMetricsOverride", R"({"width":)" + std::to_string(width) + R"(,"height":)" +
                                                        std::to_string(height) + R"(,"deviceScaleFactor":1,"mobile":)" +
                                                        (mobile ? "true" : "false") + "}")
      .has_value();
}

bool ChromiumPage::EmulatePhone(int width, int height) { return ok() && SetScreen(width, height, true); }

ChromiumPage::~ChromiumPage() {
  if (pid_ <= 0) return;
  if (channel_) {
    session_.clear();
    (void)Send(R"({"id":)" + std::to_string(++lastId_) + R"(,"method":"Browser.close"})");
  }
  if (!WaitForExit(pid_, kCloseWait)) {
    ::kill(-pid_, SIGKILL);  // the browser and its helpers
    ::waitpid(pid_, nullptr, 0);
  }
}

bool ChromiumPage::Start(const std::string& chromium, const std::string& arguments) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  channel_.reset(ends[0]);
  UniqueFd socketEnd(ends[1]);
  // Above 4, so that the dup2 to 3 and 4 below always makes a copy without
  // close-on-exec (a dup2 onto itself would keep the flag).
  UniqueFd browserEnd(::fcntl(socketEnd.get(), F_DUPFD_CLOEXEC, 5));
  if (!browserEnd) return false;

  std::vector<std::string> args = {chromium,
                                   "--headless",
                                   "--no-sandbox",
                                   "--disable-gpu",
                                   "--disable-quic",
                                   "--no-first-run",
                                   "--disable-background-networking",
                                   "--disable-component-update",
                                   "--disable-sync",
                                   "--user-data-dir=" + profile_.File("data").string(),
                                   "--enable-logging=stderr",
                                   "--v=0",
                                   "--remote-debugging-pipe"};
  for (std::string& option : SplitOptions(arguments)) args.push_back(std::move(option));
  args.push_back("about:blank");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string errors = profile_.File("stderr.txt").string();

  // Between fork and exec only calls that are safe in a child of a
  // threaded process: the browser reads commands on 3 and answers on 4,
  // here both the one socket.
  pid_ = ::fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    ::setpgid(0, 0);
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_RDWR);
    if (err < 0 || null < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::dup2(browserEnd.get(), 3) < 0 || ::dup2(browserEnd.get(), 4) < 0) {
      ::_exit(127);
    }
    // dup2 onto itself keeps close-on-exec: the socket may already be 3 or
    // 4 when the test program was started with few descriptors open.
    if (::fcntl(3, F_SETFD, 0) < 0 || ::fcntl(4, F_SETFD, 0) < 0) ::_exit(127);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::setpgid(pid_, pid_);  // either side may win the race; both ask the same
  return true;
}

bool ChromiumPage::Send(const std::string& message) {
  const std::string bytes = message + '\0';
  const Clock::time_point deadline = Clock::now() + kAnswerWait;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    pollfd p{channel_.get(), POLLOUT, 0};
    if (::poll(&p, 1, MillisecondsUntil(deadline)) <= 0) return false;
    const ssize_t n = ::send(channel_.get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<std::string> ChromiumPage::Receive(Clock::time_point deadline) {
  for (;;) {
    if (const std::size_t end = pending_.find('\0'); end != std::string::npos) {
      std::string message = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return message;
    }
    pollfd p{channel_.get(), POLLIN, 0};
    if (::poll(&p, 1, MillisecondsUntil(deadline)) <= 0) return std::nullopt;
    char buffer[65536];
    const ssize_t n = ::recv(channel_.get(), buffer, sizeof buffer, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    pending_.append(buffer, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> ChromiumPage::Call(const std::string& method, const std::string& params) {
  if (!channel_) return std::nullopt;
  const std::string id = std::to_string(++lastId_);
  std::string message = R"({"id":)" + id + R"(,"method":)" + JsonString(method) + R"(,"params":)" + params;
  if (!session_.empty()) message += R"(,"sessionId":)" + JsonString(session_);
  if (!Send(message + "}")) return std::nullopt;
  // Events come in between; the answer starts with its id.
  const Clock::time_point deadline = Clock::now() + kAnswerWait;
  const std::string answer = R"({"id":)" + id + ",";
  while (const std::optional<std::string> received = Receive(deadline)) {
    if (!received->starts_with(answer)) continue;
    if (received->find(R"("error":{)") != std::string::npos) return std::nullopt;
    return received;
  }
  return std::nullopt;
}

bool ChromiumPage::Open(const std::string& url) {
  return LeavePage([&] { return Call("Page.navigate", R"({"url":)" + JsonString(url) + "}").has_value(); });
}

bool ChromiumPage::Click(const std::string& elementJs) {
  // A link that opens a new window opens in this one instead.
  return LeavePage([&] {
    return Evaluate("(function(){var e=" + elementJs +
                    ";if(!e)return 'none';e.removeAttribute('target');e.click();return 'ok';})()") == "ok";
  });
}

bool ChromiumPage::LeavePage(const std::function<bool()>& leave) {
  // The mark goes with the document, so the wait sees the next one only.
  return ok() && Evaluate("window.plimodLeft = true") == "true" && leave() &&
         WaitFor("window.plimodLeft !== true && document.URL !== 'about:blank' && document.readyState === 'complete'");
}

std::optional<std::string> ChromiumPage::Evaluate(const std::string& expression) {
  if (!ok()) return std::nullopt;
  const std::optional<std::string> answer =
      Call("Runtime.evaluate", R"({"expression":)" + JsonString("String(" + expression + ")") +
                                   R"(,"returnByValue":true})");
  if (!answer || answer->find(R"("exceptionDetails")") != std::string::npos) return std::nullopt;
  return JsonStringField(*answer, "value");
}

bool ChromiumPage::WaitFor(const std::string& condition, std::chrono::seconds bound) {
  const Clock::time_point deadline = Clock::now() + bound;
  const std::string test = "(function () { try { return !!(" + condition + "); } catch (e) { return false; } })()";
  while (ok()) {
    if (Evaluate(test) == "true") return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
  return false;
}

std::string ChromiumPage::Dom() { return Evaluate("document.documentElement.outerHTML").value_or(""); }

std::string ChromiumPage::Text() { return Evaluate("document.body ? document.body.innerText : ''").value_or(""); }

bool ChromiumPage::Screenshot(const std::filesystem::path& png) {
  const std::optional<std::string> answer = ok() ? Call("Page.captureScreenshot", R"({"format":"png"})") : std::nullopt;
  const std::optional<std::string> data = answer ? JsonStringField(*answer, "data") : std::nullopt;
  const std::optional<std::string> bytes = data ? plimod::Base64Decode(*data) : std::nullopt;
  if (!bytes) return false;
  std::ofstream(png, std::ios::binary) << *bytes;
  return true;
}

std::string ChromiumPage::Log() const { return ReadFileBytes(profile_.File("stderr.txt")); }

std::string DumpDomWhen(const std::string& chromium, const std::string& arguments, const std::string& url,
                        const std::string& condition, std::string& log) {
  ChromiumPage page(chromium, arguments);
  if (page.Open(url)) (void)page.WaitFor(condition);
  std::string dom = page.Dom();
  log = page.Log();
  return dom;
}

bool ScreenshotWhen(const std::string& chromium, const std::string& arguments, const std::string& url,
                    const std::string& condition, const std::filesystem::path& png, std::string& log) {
  ChromiumPage page(chromium, arguments);
  const bool shot = page.Open(url) && page.WaitFor(kPageDrawn) && page.WaitFor(condition) && page.Screenshot(png);
  log = page.Log();
  return shot;
}

}  // namespace plimod::test
