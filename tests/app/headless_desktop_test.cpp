#include "app/headless_desktop.h"

#include <gtest/gtest.h>

#include "app/desktop_access.h"
#include "platform/message_box.h"

namespace plimod {
namespace {

TEST(HeadlessDesktopTest, MessageBoxesOfTheProgramReachStandardError) {
  UseDesktop(nullptr);
  ::testing::internal::CaptureStderr();
  ShowMessageBox(L"HTTPサーバの起動に失敗しました");
  std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(written, "プリモ: HTTPサーバの起動に失敗しました\n");
}

}  // namespace
}  // namespace plimod
