#pragma once
// Headless Chromium for the browser checks: each run gets a new empty
// profile and no background traffic, and is cut off after two minutes.

#include <map>
#include <string>

namespace plimod::test {

// The installed Chromium, or empty when there is none.
std::string FindChromium();

// Runs `chromium` on `url` with the extra `arguments` (window size,
// --screenshot=..., --dump-dom ...); returns its standard output and leaves
// its standard error in `log`.
std::string RunChromium(const std::string& chromium, const std::string& arguments, const std::string& url,
                        std::string& log);

// The "key=value" lines that a check page writes into <pre id="result">,
// read from a dumped DOM.
std::map<std::string, std::string> ParseCheckReport(const std::string& dom);
// A number of the report; -1 when missing.
int ReportNumber(const std::map<std::string, std::string>& report, const std::string& key);

}  // namespace plimod::test
