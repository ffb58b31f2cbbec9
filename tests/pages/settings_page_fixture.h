#pragma once
// The settings pages on the string writer: a settings document with a file
// of its own in a temporary folder, an empty service map, a request token,
// and a request installed as the server's worker installs it.

#include <filesystem>
#include <string>

#include "guide/command_pages.h"
#include "server/reply_writer.h"
#include "server/request_context.h"
#include "server/request_token.h"
#include "settings/settings.h"
#include "tests/support/epg_globals_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/service_keys.h"
#include "tests/support/temp_folder.h"

namespace plimod::test {

class SettingsPageFixture : public EpgGlobalsFixture {
 protected:
  void SetUp() override {
    EpgGlobalsFixture::SetUp();
    Settings().Load(IniPath().wstring(), true);
    token_ = MakeRequestToken();
  }
  void TearDown() override {
    ClearCommandPages();
    EpgGlobalsFixture::TearDown();
  }

  std::filesystem::path IniPath() const { return folder_.File("plimo.ini"); }
  std::string IniBytes() const { return ReadFileBytes(IniPath()); }

  // Runs `page` on the query or body text; the reply as the page wrote it.
  std::string Run(const CommandPage& page, const std::string& query, int* result = nullptr) {
    RequestContext context;
    context.host = "here:8080";
    context.referer = "http://here:8080/";
    ScopedRequestContext scope(context);
    ParseRequestText(query);
    std::string reply;
    ReplyWriter out(&reply);
    const int value = page(out, CurrentParameters(), Settings());
    if (result) *result = value;
    return reply;
  }
  // The same as a saving post: spc (the ideographic space) and the token.
  std::string Save(const CommandPage& page, const std::string& fields, int* result = nullptr) {
    return Run(page, "spc=%E3%80%80&token=" + token_ + "&" + fields, result);
  }

  std::wstring Stored(const wchar_t* section, const wchar_t* key) const {
    return Settings().GetString(section, key).value_or(L"(missing)");
  }
  // The value as the saved file gives it back.
  std::wstring Reloaded(const wchar_t* section, const wchar_t* key) const {
    IniFile file(IniPath().wstring());
    return file.GetString(section, key).value_or(L"(missing)");
  }

  TempFolder folder_{"plimod_pages"};
  std::string token_;
};

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace plimod::test
