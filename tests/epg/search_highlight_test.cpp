#include <gtest/gtest.h>

#include <string>

#include "epg/highlight.h"
#include "epg/search_match.h"
#include "search_fixture.h"

namespace plimod::test {
namespace {

class HighlightTest : public SearchFixture {
 protected:
  void SetUp() override {
    SearchFixture::SetUp();
    MarkSwitch = 1;
    Set(L"SEARCH_03", L"SEARCH_TITLE", L"1");
  }
  std::string Title(const std::wstring& title, const std::wstring& word, std::uint32_t number = 3) {
    Set(L"SEARCH_03", L"WORD", word);
    EpgEvent event = MakeEvent(TrKey(0x400), 1, title, At(2024, 5, 13, 20, 0));
    SetConditionNumber(event, number);
    return HighlightSearchWords(0, event);
  }
};

TEST_F(HighlightTest, MarksTheStoredTextAtTheFoldedPosition) {
  EXPECT_EQ(Title(L"Big News 7", L"ｎｅｗｓ"), "Big <font class=marker>News</font> 7");
  EXPECT_EQ(Title(L"ＢＩＧ　ＮＥＷＳ", L"news"), "ＢＩＧ　<font class=marker>ＮＥＷＳ</font>");
  EXPECT_EQ(Title(L"Big News 7", L"big+news"), "<font class=marker>Big News</font> 7");
}

TEST_F(HighlightTest, EveryTermAndPartIsMarkedAtItsFirstOccurrence) {
  EXPECT_EQ(Title(L"a b a b", L"a&b"),
            "<font class=marker>a</font> <font class=marker>b</font> a b");
  EXPECT_EQ(Title(L"xy cat dog", L"dog cat"),
            "xy <font class=marker>cat</font> <font class=marker>dog</font>");
}

TEST_F(HighlightTest, EpgTextIsEscapedAroundTheMarks) {
  EXPECT_EQ(Title(L"<b>Tom & Jerry</b>", L"jerry"),
            "&lt;b&gt;Tom & <font class=marker>Jerry</font>&lt;/b&gt;");
  EXPECT_EQ(Title(L"A<B & \"C'", L"＜ｂ+＆"),
            "A<font class=marker>&lt;B &</font> &quot;C&#39;");
}

TEST_F(HighlightTest, OverlappingWordsGiveOneWellFormedMark) {
  EXPECT_EQ(Title(L"abcdef", L"abc bcd"), "<font class=marker>abcd</font>ef");
  EXPECT_EQ(Title(L"abcdef", L"cd&abcdef"), "<font class=marker>abcdef</font>");
  // Words that occur in the marker tags themselves find only the text.
  EXPECT_EQ(Title(L"class = font", L"font class ="),
            "<font class=marker>class</font> <font class=marker>=</font> "
            "<font class=marker>font</font>");
  EXPECT_EQ(Title(L"ab", L"ab b"), "<font class=marker>ab</font>");
}

TEST_F(HighlightTest, NothingIsMarkedWithoutSwitchNumberOrPlainWord) {
  EXPECT_EQ(Title(L"News", L"news", 0), "News");
  EXPECT_EQ(Title(L"News", L"news", 4), "News");  // SEARCH_04 does not exist
  EXPECT_EQ(Title(L"News", L"/News/"), "News");
  EXPECT_EQ(Title(L"<News>", L""), "&lt;News&gt;");
  MarkSwitch = 0;
  EXPECT_EQ(Title(L"News", L"news"), "News");
}

TEST_F(HighlightTest, FieldKeyMustBeOneAndDefaultsToZero) {
  Set(L"SEARCH_03", L"WORD", L"news");
  EpgEvent event =
      MakeEvent(TrKey(0x400), 1, L"news", At(2024, 5, 13, 20, 0), L"news", L"late news");
  SetConditionNumber(event, 3);
  EXPECT_EQ(HighlightSearchWords(1, event), "news");
  Set(L"SEARCH_03", L"SEARCH_EXPLANATION", L"1");
  Set(L"SEARCH_03", L"SEARCH_DETAIL", L"2");
  EXPECT_EQ(HighlightSearchWords(1, event), "<font class=marker>news</font>");
  EXPECT_EQ(HighlightSearchWords(2, event), "late news");
  Settings().DeleteKey(L"SEARCH_03", L"SEARCH_TITLE");
  EXPECT_EQ(HighlightSearchWords(0, event), "news");
}

TEST_F(HighlightTest, RangesOutsideTheTextAreIgnored) {
  EXPECT_EQ(WriteMarkedText(L"abc", {{1, 2}, {2, 9}, {5, 6}}),
            "a<font class=marker>b</font><font class=marker>c</font>");
}

TEST_F(HighlightTest, OnePageReadingServesEveryConditionAndFieldAsEachCellAlone) {
  Set(L"SEARCH_03", L"WORD", L"news");
  Set(L"SEARCH_03", L"SEARCH_DETAIL", L"1");
  Set(L"SEARCH_05", L"WORD", L"late&sport");
  Set(L"SEARCH_05", L"SEARCH_EXPLANATION", L"1");
  const SearchMarks page(Settings());
  for (std::uint32_t number : {3u, 5u, 0u, 4u, 3u, 5u}) {
    EpgEvent event = MakeEvent(TrKey(0x400), 1, L"late news", At(2024, 5, 13, 20, 0),
                               L"sport news late", L"news of sport, late");
    SetConditionNumber(event, number);
    for (int field = 0; field < 3; ++field) {
      EXPECT_EQ(page.Highlight(field, event), HighlightSearchWords(field, event))
          << "condition " << number << ", field " << field;
    }
  }
  EpgEvent event = MakeEvent(TrKey(0x400), 1, L"late news", At(2024, 5, 13, 20, 0));
  SetConditionNumber(event, 3);
  EXPECT_EQ(page.Highlight(0, event), "late <font class=marker>news</font>");
  EXPECT_EQ(page.Highlight(2, event), "") << "no detail text";
}

}  // namespace
}  // namespace plimod::test
