#include "epg/epg_store.h"

#include <gtest/gtest.h>

#include <string>

#include "epg_test_data.h"
#include "epg_test_support.h"
#include "util/keys.h"

namespace plimod {
namespace {

using test::EpgFileBytes;
using test::kOnid;
using test::kTsid;
using test::MakeEvent;
using test::MakeFile;
using test::MakeService;
using test::TempFolder;

constexpr std::uint64_t kTv = ServiceKey(kOnid, kTsid, 0x0400);
constexpr std::uint64_t kPromo = ServiceKey(kOnid, kTsid, 0x0401);
constexpr std::uint64_t kRadio = ServiceKey(kOnid, kTsid, 0x0402);
constexpr std::uint64_t kData = ServiceKey(kOnid, kTsid, 0x0403);

class EpgStoreTest : public ::testing::Test {
 protected:
  // Writes the description to a file and feeds it to the store.
  void Feed(const epgwriter::EpgFileDescription& description, const std::string& name = "a_epg.dat") {
    const std::string path = folder_.File(name);
    test::WriteFileBytes(path, EpgFileBytes(description));
    ASSERT_EQ(store_.LoadEpgFileNative(path), 1);
  }
  void FeedAndImport(const epgwriter::EpgFileDescription& description, bool halfWidth = false) {
    Feed(description);
    ASSERT_EQ(store_.ImportFromDll(L"", halfWidth), 1);
  }
  const EpgEvent* Find(std::uint64_t key, std::uint16_t eventId) const {
    auto service = store_.Events().find(key);
    if (service == store_.Events().end()) return nullptr;
    auto event = service->second.find(eventId);
    return event == service->second.end() ? nullptr : &event->second;
  }

  TempFolder folder_;
  EpgStore store_{test::RealModuleDir()};
};

epgwriter::EventDescription RichEvent() {
  auto event = MakeEvent(7, 2026, 12, 10, 18, 0, 60, u"ＡＢＣ１２３ニュース");
  event.short_text = u"今日\u3000の＆話題";
  event.items = {{u"出演者", u"山田太郎"}};
  event.genres = {0x03000000u, 0x0F010203u};
  event.free_ca = true;
  return event;
}

TEST_F(EpgStoreTest, ImportsTelevisionAndPromotionServicesWithTheirEvents) {
  FeedAndImport(MakeFile({
      MakeService(0x0400, 0x01, u"テスト１", {RichEvent()}),
      MakeService(0x0401, 0xA5, u"プロモ", {MakeEvent(1, 2026, 12, 10, 9, 0, 30, u"宣伝")}),
      MakeService(0x0402, 0x02, u"ラジオ", {MakeEvent(2, 2026, 12, 10, 9, 0, 30, u"音声")}),
      MakeService(0x0403, 0xC0, u"データ", {MakeEvent(3, 2026, 12, 10, 9, 0, 30, u"データ")}),
  }));

  ASSERT_EQ(store_.Services().size(), 2u);
  const EpgService& tv = store_.Services().at(kTv);
  EXPECT_EQ(tv.name, L"テスト１");
  EXPECT_EQ(tv.serviceType, 0x01);
  EXPECT_EQ(tv.originalNetworkId, kOnid);
  EXPECT_EQ(tv.serviceId, 0x0400);
  EXPECT_EQ(store_.Services().at(kPromo).serviceType, 0xA5);
  EXPECT_FALSE(store_.Events().contains(kRadio)) << "other types are not even asked for events";
  EXPECT_FALSE(store_.Events().contains(kData));

  const EpgEvent* event = Find(kTv, 7);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->originalNetworkId, kOnid);
  EXPECT_EQ(event->transportStreamId, kTsid);
  EXPECT_EQ(event->serviceId, 0x0400);
  EXPECT_EQ(event->Title(), L"ＡＢＣ１２３ニュース");
  EXPECT_EQ(event->ShortText(), L"今日\u3000の＆話題");
  EXPECT_NE(event->ExtendedText().find(L"山田太郎"), std::wstring::npos);
  EXPECT_EQ(event->start.wYear, 2026);
  EXPECT_EQ(event->start.wMonth, 12);
  EXPECT_EQ(event->start.wDay, 10);
  EXPECT_EQ(event->start.wHour, 18);
  EXPECT_EQ(event->start.wDayOfWeek, 4) << "2026-12-10 is a Thursday";
  EXPECT_EQ(event->durationSeconds, 3600u);
  EXPECT_EQ(event->freeCaFlag, 1);
  ASSERT_EQ(event->genres.size(), 2u);
  EXPECT_EQ(event->genres[0], (GenreBytes{3, 0, 0, 0}));
  EXPECT_EQ(event->genres[1], (GenreBytes{0x0F, 1, 2, 3}));
  EXPECT_EQ(event->displayFlags, 0u);
  EXPECT_EQ(event->conditionNumber, 0u);
  // Folded for search: full-width lower case, blank as "+", "&" as "＆".
  EXPECT_EQ(event->NormalizedTitle(), L"ａｂｃ１２３ニュース");
  EXPECT_EQ(event->NormalizedShortText(), L"今日+の＆話題");
}

TEST_F(EpgStoreTest, HalfWidthOptionNarrowsLettersAndDigitsOnly) {
  FeedAndImport(MakeFile({MakeService(0x0400, 0x01, u"テスト１", {RichEvent()})}), true);
  const EpgEvent* event = Find(kTv, 7);
  ASSERT_NE(event, nullptr);
  EXPECT_EQ(event->Title(), L"ABC123ニュース");
  EXPECT_EQ(event->ShortText(), L"今日 の＆話題");
  EXPECT_EQ(event->NormalizedTitle(), L"ａｂｃ１２３ニュース") << "search folds both forms alike";
}

TEST_F(EpgStoreTest, NewListReplacesEventsFromItsEarliestStartOn) {
  FeedAndImport(MakeFile({MakeService(0x0400, 0x01, u"テスト１",
                                      {MakeEvent(10, 2026, 12, 10, 18, 0, 60, u"十八時"),
                                       MakeEvent(11, 2026, 12, 10, 19, 0, 60, u"十九時"),
                                       MakeEvent(12, 2026, 12, 10, 21, 0, 60, u"二十一時")})}));
  ASSERT_EQ(store_.Events().at(kTv).size(), 3u);

  FeedAndImport(MakeFile({MakeService(0x0400, 0x01, u"改名",
                                      {MakeEvent(20, 2026, 12, 10, 20, 0, 60, u"二十時"),
                                       MakeEvent(10, 2026, 12, 10, 23, 0, 60, u"同じ番号")})}));
  const EpgEventList& events = store_.Events().at(kTv);
  EXPECT_EQ(events.size(), 3u);
  ASSERT_NE(Find(kTv, 10), nullptr);
  EXPECT_EQ(Find(kTv, 10)->Title(), L"十八時") << "an event kept from before wins over a new id";
  EXPECT_NE(Find(kTv, 11), nullptr);
  EXPECT_EQ(Find(kTv, 12), nullptr) << "starts after the new list's first start: replaced";
  ASSERT_NE(Find(kTv, 20), nullptr);
  EXPECT_EQ(Find(kTv, 20)->Title(), L"二十時");
  EXPECT_EQ(store_.Services().at(kTv).name, L"テスト１") << "the first name stays";
}

TEST_F(EpgStoreTest, EachImportStartsFromAnEmptyDecoder) {
  FeedAndImport(MakeFile({MakeService(0x0400, 0x01, u"テスト１",
                                      {MakeEvent(10, 2026, 12, 10, 18, 0, 60, u"十八時")})}));
  store_.Events().erase(kTv);
  FeedAndImport(MakeFile({MakeService(0x0401, 0x01, u"別局",
                                      {MakeEvent(30, 2026, 12, 10, 6, 0, 60, u"朝")})}));
  // A decoder that still held the first file would bring the erased events back.
  EXPECT_FALSE(store_.Events().contains(kTv));
  EXPECT_EQ(store_.Events().at(kPromo).size(), 1u);
}

TEST_F(EpgStoreTest, OnlyWholePacketsOfTheEpgPidsAreFed) {
  const auto description = MakeFile({MakeService(0x0400, 0x01, u"テスト１", {RichEvent()})});
  std::string bytes = EpgFileBytes(description);
  ASSERT_EQ(bytes.size() % 188, 0u);

  // The same packets moved to PID 0x13 carry nothing the decoder may see.
  std::string moved = bytes;
  for (std::size_t i = 0; i < moved.size(); i += 188) {
    moved[i + 1] = static_cast<char>((moved[i + 1] & 0xE0) | 0x00);
    moved[i + 2] = 0x13;
  }
  test::WriteFileBytes(folder_.File("moved_epg.dat"), moved);
  ASSERT_EQ(store_.LoadEpgFileNative(folder_.File("moved_epg.dat")), 1);
  ASSERT_EQ(store_.ImportFromDll(L"", false), 1);
  EXPECT_TRUE(store_.Services().empty());

  // Null packets filling more than one read, then the file, then a partial
  // packet: everything after the first read still arrives in step.
  std::string padded;
  for (int i = 0; i < 2100; ++i) {
    std::string packet(188, '\xFF');
    packet[0] = 0x47;
    packet[1] = 0x1F;
    packet[2] = static_cast<char>(0xFF);
    padded += packet;
  }
  padded += bytes;
  padded += std::string(100, '\x47');
  test::WriteFileBytes(folder_.File("padded_epg.dat"), padded);
  ASSERT_EQ(store_.LoadEpgFileNative(folder_.File("padded_epg.dat")), 1);
  ASSERT_EQ(store_.ImportFromDll(L"", false), 1);
  EXPECT_NE(Find(kTv, 7), nullptr);
}

TEST_F(EpgStoreTest, UnreadableInputGivesZero) {
  EXPECT_EQ(store_.LoadEpgFile(L""), 0);
  EXPECT_EQ(store_.LoadEpgFileNative(folder_.File("missing_epg.dat")), 0);
}

TEST(EpgStoreWithoutModule, RunsWithAnEmptyGuide) {
  TempFolder empty;
  TempFolder data;
  EpgStore store(empty.Path().string() + "/");
  const std::string path = data.File("a_epg.dat");
  test::WriteFileBytes(path, EpgFileBytes(MakeFile({MakeService(0x0400, 0x01, u"テスト１", {RichEvent()})})));
  EXPECT_EQ(store.LoadEpgFileNative(path), 1);
  EXPECT_EQ(store.ImportFromDll(L"", false), 1);
  EXPECT_TRUE(store.Services().empty());
  EXPECT_TRUE(store.Events().empty());
  EXPECT_EQ(store.ResetDll(), kDllFailed);
}

}  // namespace
}  // namespace plimod
