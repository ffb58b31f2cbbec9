#include "epg/epgdatacap_dll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "epg/epg_store.h"
#include "epg_test_support.h"
#include "platform/message_box.h"

namespace plimod {
namespace {

using test::FakeModuleDir;
using test::RealModuleDir;
using test::TempFolder;

class MessageBoxCapture {
 public:
  MessageBoxCapture() {
    SetMessageBoxSink([this](std::wstring_view text, std::wstring_view) {
      texts.emplace_back(text);
    });
  }
  ~MessageBoxCapture() { SetMessageBoxSink({}); }
  std::vector<std::wstring> texts;
};

TEST(EpgDataCapDll, WithoutAModuleEveryWrapperFailsQuietly) {
  TempFolder empty;
  MessageBoxCapture boxes;
  EpgDataCapDll dll(empty.Path().string() + "/");
  EXPECT_EQ(dll.Load(), 0);
  EXPECT_EQ(dll.Initialize(0), kDllFailed);
  EXPECT_FALSE(dll.IsLoaded());
  const std::uint8_t packet[188] = {0x47};
  EXPECT_EQ(dll.AddTSPacket(packet, 188), kDllFailed);
  EXPECT_EQ(dll.Clear(), kDllFailed);
  const DecoderServiceEntry* services = reinterpret_cast<const DecoderServiceEntry*>(&dll);
  std::uint32_t count = 99;
  EXPECT_EQ(dll.GetServiceListDB(&services, &count), kDllFailed);
  EXPECT_EQ(services, nullptr);
  EXPECT_EQ(count, 0u);
  const DecoderEventEntry* events = reinterpret_cast<const DecoderEventEntry*>(&dll);
  count = 99;
  EXPECT_EQ(dll.GetEpgDataListDB(1, 2, 3, &events, &count), 0);
  EXPECT_EQ(events, nullptr);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(dll.Unload(), kDllOk);
  EXPECT_TRUE(boxes.texts.empty());
}

TEST(EpgDataCapDll, RealModuleLoadsOnceAndUnInitializeUnloads) {
  EpgDataCapDll dll(RealModuleDir());
  EXPECT_EQ(dll.Load(), 1);
  EXPECT_EQ(dll.Load(), 0) << "a second load while loaded gives 0";
  EXPECT_EQ(dll.Unload(), kDllOk);
  EXPECT_EQ(dll.Initialize(0), kDllOk);
  EXPECT_NE(dll.Instance(), -1);
  const DecoderServiceEntry* services = nullptr;
  std::uint32_t count = 99;
  EXPECT_NE(dll.GetServiceListDB(&services, &count), 0);
  EXPECT_EQ(count, 0u) << "a fresh instance holds no services";
  EXPECT_EQ(dll.UnInitialize(), kDllOk);
  EXPECT_FALSE(dll.IsLoaded());
  EXPECT_EQ(dll.Instance(), -1);
}

TEST(EpgDataCapDll, MissingExportShowsTheMessageAtEveryLoadAttempt) {
  MessageBoxCapture boxes;
  EpgStore store(FakeModuleDir("missing_export"));
  EXPECT_FALSE(store.Dll().IsLoaded());
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], L"GetProcAddress に失敗しました");
  EXPECT_EQ(store.ResetDll(), kDllFailed);
  EXPECT_EQ(boxes.texts.size(), 2u);
  EXPECT_EQ(store.ImportFromDll(L"", false), 1) << "the service list call gives 10: no failure";
  EXPECT_TRUE(store.Services().empty());
  EXPECT_TRUE(store.Events().empty());
}

TEST(EpgDataCapDll, FailedInitializeLeavesNoInstanceAndStillUnloads) {
  EpgDataCapDll dll(FakeModuleDir("failing_init"));
  EXPECT_EQ(dll.Initialize(0), kDllFailed);
  EXPECT_TRUE(dll.IsLoaded());
  EXPECT_EQ(dll.Instance(), -1);
  const std::uint8_t packet[188] = {0x47};
  EXPECT_EQ(dll.AddTSPacket(packet, 188), kDllFailed);
  const DecoderEventEntry* events = nullptr;
  std::uint32_t count = 0;
  EXPECT_EQ(dll.GetEpgDataListDB(1, 2, 3, &events, &count), 0);
  dll.UnInitialize();
  EXPECT_FALSE(dll.IsLoaded()) << "so that the next Initialize loads afresh";
}

}  // namespace
}  // namespace plimod
