#pragma once
// The settings pages rendered into a string: a settings document saved to
// a file of a temporary folder, the request token, and each request's
// parameters installed as the current ones, as the worker does.

#include <functional>
#include <string>

#include "guide/command_pages.h"
#include "platform/text_codec.h"
#include "server/reply_writer.h"
#include "server/request_context.h"
#include "server/request_token.h"
#include "tests/guide/guide_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

class PageTest : public GuideFixture {
 protected:
  void SetUp() override {
    GuideFixture::SetUp();
    if (GetRequestToken().empty()) MakeRequestToken();
    Settings().Load(settingsPath_.wstring(), true);
  }

  // The page's reply to a request with `query`; `params` holds the
  // request's parameters afterwards.
  std::string Serve(const CommandPage& page, const std::string& query) {
    RequestContext context;
    // A request from one of the program's own pages passes the Referer check.
    context.host = "127.0.0.1:18990";
    context.referer = "http://127.0.0.1:18990/";
    ScopedRequestContext installed(context);
    context.params.Reset(query);
    std::string reply;
    ReplyWriter out(&reply);
    page(out, context.params, Settings());
    params = context.params;
    return reply;
  }
  // The same with the hidden fields of a form that saves.
  std::string Post(const CommandPage& page, const std::string& query) {
    return Serve(page, query + "&spc=%E3%80%80&token=" + GetRequestToken());
  }

  // The settings file as text ("" when it was never saved).
  std::string SavedFile() const { return WideToUtf8String(Utf16LeToWide(ReadFileBytes(settingsPath_))); }
  bool Saved() const { return std::filesystem::exists(settingsPath_); }

  RequestParameters params;

 private:
  TempFolder home_{"plimod-pages"};
  std::filesystem::path settingsPath_ = home_.File("plimo.ini");
};

// Occurrences of `part` in `text`.
inline int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

}  // namespace plimod::test
