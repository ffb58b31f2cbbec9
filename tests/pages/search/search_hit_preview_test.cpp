// The hit preview under the search condition editor, on EPG files made by
// the project's writer and loaded through the real decoder module.
#include <gtest/gtest.h>

#include <memory>

#include "epg/epg_folder.h"
#include "epg/epg_store.h"
#include "pages/search/search_condition_page.h"
#include "tests/epg/epg_test_data.h"
#include "tests/pages/page_test_fixture.h"

namespace plimod::test {
namespace {

constexpr std::uint16_t kSeries = 0x0400;
constexpr std::uint16_t kSingles = 0x0401;

epgwriter::EventDescription Event(std::uint16_t id, int minutesFromStart, int minutes, std::u16string title,
                                  std::u16string shortText = u"", std::uint32_t genre = 0) {
  epgwriter::EventDescription event;
  event.event_id = id;
  event.start = epgwriter::JapanSeconds(2026, 12, 10) + std::int64_t{minutesFromStart} * 60;
  event.duration_seconds = static_cast<std::uint32_t>(minutes * 60);
  event.title = std::move(title);
  event.short_text = std::move(shortText);
  if (genre != 0) event.genres.push_back(genre);
  return event;
}

class SearchHitPreviewTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ResetEpgFolderState();
    SetNow(At(2026, 12, 10, 0, 0));
    std::vector<epgwriter::EventDescription> series;
    // 500 of "番組A" and 100 of "番組B", ten minutes each from 01:00.
    for (int i = 0; i < 600; ++i) {
      series.push_back(Event(static_cast<std::uint16_t>(i + 1), 60 + 10 * i, 10, i < 500 ? u"番組A" : u"番組B"));
    }
    std::vector<epgwriter::EventDescription> singles = {
        Event(1, 20 * 60, 30, u"夜のニュース", u"今日の<出来事>", 0x00000000),
        Event(2, 21 * 60, 54, u"ドラマ特集", u"主演", 0x03000000),
    };
    WriteFileBytes(data_.File("a_epg.dat"),
                   EpgFileBytes(MakeFile({MakeService(kSeries, 0x01, u"連続局", std::move(series)),
                                          MakeService(kSingles, 0x01, u"単発局", std::move(singles))})));
    const std::string folder = data_.Path().string();
    Settings().SetString(L"SYSTEM", L"EPGDATAFOLDER", std::wstring(folder.begin(), folder.end()));
    store_ = std::make_unique<EpgStore>(std::string(PLIMOD_BINARY_DIR) + "/bin/");
    ASSERT_TRUE(LoadEpgFolder(*store_));
  }
  void TearDown() override {
    PageTest::TearDown();
    store_.reset();
    ResetEpgFolderState();
  }

  std::string Preview(const std::wstring& key, const std::wstring& value) {
    Settings().SetString(L"SEARCH_01", key.c_str(), value);
    const std::string page = Run(ServeSearchConditionPage, "cmd=search&sh_idx=1");
    Settings().DeleteSection(L"SEARCH_01");
    return page.substr(page.find("ヒット数："));
  }

  TempFolder data_{"plimod-preview"};
  std::unique_ptr<EpgStore> store_;
};

TEST_F(SearchHitPreviewTest, WordHitIsOneRowWithTimesStationAndEscapedTexts) {
  EXPECT_EQ(Preview(L"WORD", L"ニュース"),
            "ヒット数：1<BR>\n<TABLE cellpadding=2 cellspacing=2><thead>\n"
            "<tr><td>日時</td><td>放送局</td><td>番組名</td><td>説明</td></tr></thead><tbody>\n"
            "<tr><td valign=top><a href='?sid=7fe07fe00401&eid=1' target=_blank>2026/12/10(木)<BR>20:00:00"
            "～20:30:00</a></td>\n<td valign=top>単発局</td>\n<td valign=top>夜のニュース</td>"
            "<td valign=top>今日の&lt;出来事&gt;</td></tr>\n</tbody></TABLE>\n</BODY></HTML>\n");
}

TEST_F(SearchHitPreviewTest, RegexAndGenreConditions) {
  EXPECT_NE(Preview(L"WORD", L"/ド.マ特/").find("ヒット数：1<BR>"), std::string::npos);
  const std::string genre = Preview(L"GENRE", L"ドラマ");
  EXPECT_NE(genre.find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(genre.find("<td valign=top>ドラマ特集</td>"), std::string::npos);
}

TEST_F(SearchHitPreviewTest, RowsStopAfterTheFiveHundredAndFirst) {
  const std::string many = Preview(L"WORD", L"番組");
  EXPECT_NE(many.find("ヒット数：600<BR>"), std::string::npos);
  EXPECT_EQ(CountOf(many, "<tr><td valign=top>"), 501);
  EXPECT_NE(many.find("</tbody></TABLE>\n検索結果が500件を超えましたので出力を中止しました.<BR>\n</BODY>"),
            std::string::npos);

  const std::string exact = Preview(L"WORD", L"番組A");
  EXPECT_NE(exact.find("ヒット数：500<BR>"), std::string::npos);
  EXPECT_EQ(CountOf(exact, "<tr><td valign=top>"), 500);
  EXPECT_EQ(exact.find("検索結果が500件を超えました"), std::string::npos);
}

TEST_F(SearchHitPreviewTest, ConditionFromAProgrammePreviewsItsOwnChannel) {
  const std::string page = Run(ServeSearchConditionPage, "cmd=search&sh_idx=0&sid=7fe07fe00401&eid=1");
  EXPECT_NE(page.find("name='sh_word' value='夜のニュース'"), std::string::npos);
  EXPECT_NE(page.find("ヒット数：1<BR>"), std::string::npos);
  EXPECT_NE(page.find("<td valign=top>単発局</td>"), std::string::npos);
}

}  // namespace
}  // namespace plimod::test
