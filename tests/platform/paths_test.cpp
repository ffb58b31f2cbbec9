#include "platform/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace plimod {
namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(ProgramDir, IsTheExecutableFolderWithTrailingSlash) {
  ScopedEnv home("PLIMOD_HOME", nullptr);
  const std::wstring dir = ProgramDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), L'/');
  EXPECT_EQ(dir.back(), L'/');
  EXPECT_NE(dir.find(L"/bin/"), std::wstring::npos);
}

TEST(ProgramDir, HomeVariableReplacesItAndGetsASlash) {
  {
    ScopedEnv home("PLIMOD_HOME", "/srv/plimod");
    EXPECT_EQ(ProgramDir(), L"/srv/plimod/");
  }
  {
    ScopedEnv home("PLIMOD_HOME", "/srv/plimod/");
    EXPECT_EQ(ProgramDir(), L"/srv/plimod/");
  }
  {
    ScopedEnv home("PLIMOD_HOME", "");  // empty counts as unset
    EXPECT_NE(ProgramDir(), L"/");
  }
}

TEST(DocumentsDir, PrefersXdgThenHome) {
  ScopedEnv home("HOME", "/home/u/");
  {
    ScopedEnv xdg("XDG_DOCUMENTS_DIR", "/data/\xE6\x96\x87\xE6\x9B\xB8/");
    EXPECT_EQ(DocumentsDir(), L"/data/\u6587\u66F8");
  }
  {
    ScopedEnv xdg("XDG_DOCUMENTS_DIR", nullptr);
    EXPECT_EQ(DocumentsDir(), L"/home/u/Documents");
    ScopedEnv noHome("HOME", nullptr);
    EXPECT_EQ(DocumentsDir(), L"");
  }
}

}  // namespace
}  // namespace plimod
