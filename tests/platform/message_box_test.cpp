#include "platform/message_box.h"

#include <gtest/gtest.h>

namespace plimod {
namespace {

TEST(MessageBox, GoesToTheSinkOrToStandardError) {
  std::wstring seen;
  SetMessageBoxSink([&](std::wstring_view text, std::wstring_view caption) {
    seen = std::wstring(caption) + L"|" + std::wstring(text);
  });
  ShowMessageBox(L"HTTPサーバの起動に失敗しました");
  EXPECT_EQ(seen, L"プリモ|HTTPサーバの起動に失敗しました");
  SetMessageBoxSink(nullptr);

  testing::internal::CaptureStderr();
  ShowMessageBox(L"GetProcAddress に失敗しました");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\xE3\x83\x97\xE3\x83\xAA\xE3\x83\xA2: GetProcAddress "
            "\xE3\x81\xAB\xE5\xA4\xB1\xE6\x95\x97\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F\n");
}

}  // namespace
}  // namespace plimod
