#pragma once
// Headless Chromium driven over its DevTools pipe, for checks that need
// more than one page load: a tab that follows links as a person clicks them
// (so each request carries its page as the Referer), phone emulation, and
// screenshots. Started with the flags of RunChromium and a new empty
// profile; every wait for the browser is bounded.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/file.h"

namespace plimod::test {

class TempFolder;

class DevToolsBrowser {
 public:
  explicit DevToolsBrowser(const std::string& chromium);
  ~DevToolsBrowser();
  DevToolsBrowser(const DevToolsBrowser&) = delete;
  DevToolsBrowser& operator=(const DevToolsBrowser&) = delete;

  // True once the browser runs with a tab attached.
  bool ok() const { return !session_.empty(); }
  // What the browser wrote to its standard error.
  std::string Log() const;

  // A phone's screen: the layout follows the page's viewport line, as on
  // a phone, and a page without one is laid out at the desktop width.
  bool EmulatePhone(int width, int height);
  // Loads `url` as a typed address and waits for the page.
  bool Open(const std::string& url);
  // Clicks the element that `elementJs` (a JavaScript expression) yields
  // and waits for the page it leads to (in this tab, also for a link that
  // would open a new window); false when there is none.
  bool Click(const std::string& elementJs);
  // The value of a JavaScript expression as text; nothing on an error.
  std::optional<std::string> Evaluate(const std::string& expression);
  // The page's text as a person reads it.
  std::string Text();
  // The visible part of the page as a PNG file.
  bool Screenshot(const std::filesystem::path& png);

 private:
  // The reply to one command (of the tab when `toTab`); empty on error.
  std::string Call(const std::string& method, const std::string& params, bool toTab = true);
  bool WaitForLoad();
  // The next message from the browser, within the bound.
  std::optional<std::string> Receive(std::chrono::steady_clock::time_point until);

  std::unique_ptr<TempFolder> profile_;
  pid_t pid_ = -1;
  UniqueFd toBrowser_;
  UniqueFd fromBrowser_;
  std::string received_;
  std::deque<std::string> events_;
  std::uint64_t nextId_ = 1;
  std::string session_;
};

}  // namespace plimod::test
