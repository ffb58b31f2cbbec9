#include "platform/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scoped_env.h"

namespace plimod {
namespace {

using test::ScopedEnv;

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
