#include <gtest/gtest.h>

#include <random>
#include <string>

#include "epg/search_match.h"
#include "epg/search_word.h"
#include "platform/text_codec.h"
#include "search_fixture.h"
#include "settings/ini_file.h"

namespace plimod::test {
namespace {

class SearchMatchTest : public SearchFixture {
 protected:
  // Writes the keys into SEARCH_01 and reads the condition back.
  SearchCondition Condition(std::initializer_list<std::pair<const wchar_t*, std::wstring>> keys) {
    Settings().DeleteSection(L"SEARCH_01");
    for (const auto& [key, value] : keys) Set(L"SEARCH_01", key, value);
    return ReadSearchCondition(Settings(), L"SEARCH_01", SearchNormalizeList(Settings()));
  }
  bool Matches(std::initializer_list<std::pair<const wchar_t*, std::wstring>> keys,
               const EpgEvent& event) {
    return MatchSearchCondition(Condition(keys), event);
  }
  static EpgEvent Titled(const std::wstring& title, const std::wstring& shortText = L"",
                         const std::wstring& extended = L"") {
    return MakeEvent(TrKey(0x400), 1, title, At(2024, 5, 13, 20, 0), shortText, extended);
  }
};

TEST_F(SearchMatchTest, BlankSeparatedTermsAreAlternativesAndAmpersandJoinsParts) {
  EXPECT_TRUE(Matches({{L"WORD", L"news drama"}}, Titled(L"Evening drama")));
  EXPECT_FALSE(Matches({{L"WORD", L"news drama"}}, Titled(L"Sports")));
  EXPECT_FALSE(Matches({{L"WORD", L"news&drama"}}, Titled(L"Evening drama")));
  EXPECT_TRUE(Matches({{L"WORD", L"news&&drama"}}, Titled(L"drama after the news")));
  EXPECT_TRUE(Matches({{L"WORD", L"\u3000ドラマ\u3000映画"}}, Titled(L"映画館")));  // ideographic blanks split
}

TEST_F(SearchMatchTest, WordsAndTextsAreComparedFolded) {
  EXPECT_TRUE(Matches({{L"WORD", L"ＮＥＷＳ"}}, Titled(L"news 7")));
  EXPECT_TRUE(Matches({{L"WORD", L"news+7"}}, Titled(L"NEWS 7")));
  EXPECT_TRUE(Matches({{L"WORD", L"Ｑ＆Ａ"}}, Titled(L"q&a time")));
  EXPECT_TRUE(Matches({{L"WORD", L"（再）"}}, Titled(L"番組(再)")));
  EXPECT_FALSE(Matches({{L"WORD", L"news+8"}}, Titled(L"NEWS 7")));
}

TEST_F(SearchMatchTest, TheNormaliseListOfTheSettingsFoldsBothSides) {
  Set(L"SYSTEM", L"NORMALIZELIST", L"ヴブ");
  EpgEvent event = MakeEvent(TrKey(0x400), 1, L"x", At(2024, 5, 13, 20, 0));
  event.SetNormalizedTitle(NormalizedCopy(L"ヴァイオリン", L"ヴブ"));
  EXPECT_TRUE(Matches({{L"WORD", L"ブァイオリン"}}, event));
}

TEST_F(SearchMatchTest, SlashWordIsOneExpressionOverTheStoredTexts) {
  EXPECT_TRUE(Matches({{L"WORD", L"/^Ab+c /"}}, Titled(L"Abbc 2")));   // not the folded "ａｂｂｃ"
  EXPECT_FALSE(Matches({{L"WORD", L"/^ab+c/"}}, Titled(L"Abbc 2")));
  EXPECT_TRUE(Matches({{L"WORD", L"/A b"}}, Titled(L"XA b")));  // trailing slash optional, blank kept
  EXPECT_FALSE(Matches({{L"WORD", L"/x*/"}}, Titled(L"abcx")));  // first match is empty
}

TEST_F(SearchMatchTest, AnInvalidExpressionMatchesNothing) {
  EXPECT_FALSE(Matches({{L"WORD", L"/(/"}}, Titled(L"(")));
  EXPECT_FALSE(MatchSearchWord(L"anything", L"/[/"));
  // As an excluded word it rejects nothing either.
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"EXCLUSIVEWORD", L"/(/"}}, Titled(L"drama")));
}

TEST_F(SearchMatchTest, MatchSearchWordLooksAtTheFirst2047Characters) {
  std::wstring text(2046, L'x');
  EXPECT_TRUE(MatchSearchWord(text + L"ab", L"xa"));
  EXPECT_FALSE(MatchSearchWord(text + L"ab", L"ab"));
  EXPECT_TRUE(MatchSearchWord(text + L"ab", L"/ab/"));  // expressions see the whole text
  EXPECT_TRUE(MatchSearchWord(L"abc", L"&&"));           // no parts
}

// The store's UTF-16 texts take another search path than wide ones; both
// must agree wherever a part sits (near the ends, across eight-unit steps)
// and count the 2047 in characters.
TEST_F(SearchMatchTest, StoredTextsMatchAsWideOnesDo) {
  std::mt19937 random(17);
  const std::wstring alphabet = L"abアイ\U0001F600";
  for (int round = 0; round < 2000; ++round) {
    std::wstring text, word;
    const std::size_t length = random() % 40;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
    const std::size_t parts = 1 + random() % 2;
    for (std::size_t p = 0; p < parts; ++p) {
      if (p > 0) word += L'&';
      const std::size_t partLength = 1 + random() % 4;
      for (std::size_t i = 0; i < partLength; ++i) word += alphabet[random() % alphabet.size()];
    }
    const SearchWord prepared = PrepareSearchWord(word);
    const std::u16string stored = WideToUtf16(text);
    EXPECT_EQ(MatchPreparedWord(stored, prepared), MatchPreparedWord(text, prepared))
        << "text " << WideToUtf8String(text) << " word " << WideToUtf8String(word);
    UnitFilter units;
    units.Add(stored);
    EXPECT_EQ(MatchPreparedWord(stored, units, prepared), MatchPreparedWord(text, prepared))
        << "filtered: text " << WideToUtf8String(text) << " word " << WideToUtf8String(word);
  }
  std::wstring pairs(2046, L'\U0001F600');
  EXPECT_TRUE(MatchPreparedWord(WideToUtf16(pairs + L"ab"), PrepareSearchWord(L"\U0001F600a")));
  EXPECT_FALSE(MatchPreparedWord(WideToUtf16(pairs + L"ab"), PrepareSearchWord(L"ab")));
  EXPECT_TRUE(MatchPreparedWord(WideToUtf16(pairs + L"ab"), PrepareSearchWord(L"/ab/")));
}

// Expressions over stored texts skip the expression when a character every
// match needs is missing; that must never turn a match into a miss.
TEST_F(SearchMatchTest, StoredTextsMatchExpressionsAsWideOnesDo) {
  std::mt19937 random(29);
  const std::vector<std::wstring> atoms = {L"a",  L"b",    L"ア",  L"\U0001F600", L".", L"[ab]",
                                           L"[^a]", L"[]a]", L"^",   L"$",          L"|", L"(",
                                           L")",  L"\\w", L"{2}", L"#"};
  const std::vector<std::wstring> quantifiers = {L"", L"", L"", L"*", L"+", L"?", L"*?", L"++"};
  const std::wstring alphabet = L"abアイ#]\U0001F600";
  for (int round = 0; round < 3000; ++round) {
    std::wstring pattern = L"/";
    const std::size_t length = 1 + random() % 5;
    for (std::size_t i = 0; i < length; ++i) {
      pattern += atoms[random() % atoms.size()] + quantifiers[random() % quantifiers.size()];
    }
    std::wstring text;
    const std::size_t textLength = random() % 12;
    for (std::size_t i = 0; i < textLength; ++i) text += alphabet[random() % alphabet.size()];
    const SearchWord prepared = PrepareSearchWord(pattern);
    const std::u16string stored = WideToUtf16(text);
    UnitFilter units;
    units.Add(stored);
    EXPECT_EQ(MatchPreparedWord(stored, prepared), MatchPreparedWord(text, prepared))
        << "text " << WideToUtf8String(text) << " pattern " << WideToUtf8String(pattern);
    EXPECT_EQ(MatchPreparedWord(stored, units, prepared), MatchPreparedWord(text, prepared))
        << "filtered: text " << WideToUtf8String(text) << " pattern " << WideToUtf8String(pattern);
  }
  // The plain shapes conditions use.
  EXPECT_TRUE(MatchPreparedWord(u"映画「七人」", PrepareSearchWord(L"/^映画「.*」$/")));
  EXPECT_FALSE(MatchPreparedWord(u"映画「七人", PrepareSearchWord(L"/^映画「.*」$/")));
  EXPECT_TRUE(MatchPreparedWord(u"話の第１２話", PrepareSearchWord(L"/第[0-9０-９]+話/")));
}

TEST_F(SearchMatchTest, FieldSwitchesChooseWhereWordsAreLookedFor) {
  const EpgEvent event = Titled(L"title", L"short", L"detail");
  EXPECT_FALSE(Matches({{L"WORD", L"short"}}, event));
  EXPECT_TRUE(Matches({{L"WORD", L"short"}, {L"SEARCH_EXPLANATION", L"1"}}, event));
  EXPECT_TRUE(Matches({{L"WORD", L"detail"}, {L"SEARCH_DETAIL", L"1"}}, event));
  EXPECT_FALSE(Matches({{L"WORD", L"title"}, {L"SEARCH_TITLE", L"0"}}, event));
  EXPECT_TRUE(Matches({{L"WORD", L"/^shor/"}, {L"SEARCH_EXPLANATION", L"1"}}, event));
}

TEST_F(SearchMatchTest, ExcludedWordsReject) {
  const EpgEvent event = Titled(L"drama (rerun)", L"final episode");
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"EXCLUSIVEWORD", L"sports （ＲＥＲＵＮ）"}}, event));
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"EXCLUSIVEWORD", L"final"}}, event));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"EXCLUSIVEWORD", L"final"},
                        {L"SEARCH_EXPLANATION", L"1"}}, event));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"EXCLUSIVEWORD", L"/\\(rerun\\)$/"}}, event));
}

TEST_F(SearchMatchTest, GenresNameTheEventsGenreNumbers) {
  EpgEvent event = Titled(L"Story");
  event.genres = {{0x0F, 0, 0, 0}, {3, 0, 0, 0}};
  EXPECT_TRUE(Matches({{L"GENRE", L"映画 ドラマ"}}, event));
  EXPECT_FALSE(Matches({{L"GENRE", L"スポーツ"}, {L"WORD", L"Story"}}, event));
  EXPECT_TRUE(Matches({{L"GENRE", L"ドラマ"}, {L"WORD", L"Story"}}, event));
  EXPECT_FALSE(Matches({{L"GENRE", L"ドラマ"}, {L"WORD", L"Other"}}, event));
  EXPECT_FALSE(Matches({{L"GENRE", L""}, {L"WORD", L""}}, event));
  EXPECT_FALSE(Matches({}, event));
  EXPECT_FALSE(Matches({{L"WORD", L"   "}}, event));
  event.genres = {{12, 0, 0, 0}, {0xFF, 0, 0, 0}};
  EXPECT_FALSE(Matches({{L"GENRE", L"ニュース・報道スポーツ情報・ワイドショードラマ音楽バラエティ映画"
                                   L"アニメ・漫画ドキュメンタリー・教養劇場・公演趣味・教育福祉"}},
                       event));
}

TEST_F(SearchMatchTest, WeekLimitsTheStartDay) {
  const EpgEvent sunday = MakeEvent(TrKey(1), 1, L"drama", At(2024, 5, 12, 20, 0));
  const EpgEvent monday = MakeEvent(TrKey(1), 1, L"drama", At(2024, 5, 13, 20, 0));
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"WEEK", L"土日"}}, sunday));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"WEEK", L"土日"}}, monday));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"WEEK", L""}}, sunday));
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}}, monday));
}

TEST_F(SearchMatchTest, TimeRangesMayReachPastMidnight) {
  auto startingAt = [](int hour, int minute) {
    return MakeEvent(TrKey(1), 1, L"drama", At(2024, 5, 13, hour, minute));
  };
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"TIME", L"22,26"}}, startingAt(1, 30)));
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"TIME", L"22,26"}}, startingAt(22, 0)));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"TIME", L"22,26"}}, startingAt(21, 59)));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"TIME", L"22,26"}}, startingAt(5, 0)));
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"TIME", L"0,3"}}, startingAt(1, 30)));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"TIME", L"0,3"}}, startingAt(4, 0)));
  EXPECT_FALSE(Matches({{L"WORD", L"drama"}, {L"TIME", L"5"}}, startingAt(4, 59)));
  EXPECT_TRUE(Matches({{L"WORD", L"drama"}, {L"TIME", L"5"}}, startingAt(23, 59)));
}

TEST_F(SearchMatchTest, ChannelModesPerBand) {
  auto allows = [&](std::initializer_list<std::pair<const wchar_t*, std::wstring>> keys,
                    std::uint64_t service) { return MatchChannelMode(Condition(keys), service); };
  EXPECT_TRUE(allows({}, BsKey(0x101)));
  EXPECT_TRUE(allows({}, OtherKey(0x101)));
  EXPECT_FALSE(allows({{L"CH_B_MODE", L"0"}}, BsKey(0x101)));
  EXPECT_TRUE(allows({{L"CH_B_MODE", L"0"}}, TrKey(0x101)));
  EXPECT_FALSE(allows({{L"CH_T_MODE", L"2"}}, TrKey(0x400)));
  EXPECT_TRUE(allows({{L"CH_T_MODE", L"2"}, {L"CH_T_LIST", L"T0408H T0400H"}}, TrKey(0x400)));
  EXPECT_FALSE(allows({{L"CH_T_MODE", L"2"}, {L"CH_T_LIST", L"T0408H"}}, TrKey(0x400)));
  EXPECT_FALSE(allows({{L"CH_T_LIST", L"T0400H"}}, TrKey(0x400)));
  EXPECT_TRUE(allows({{L"CH_T_LIST", L"T0400H"}}, TrKey(0x408)));
  EXPECT_TRUE(allows({{L"CH_C_MODE", L"7"}, {L"CH_C_LIST", L"C0101H"}}, CsKey(0x101)));
  EXPECT_FALSE(allows({{L"CH_Z_MODE", L"0"}}, OtherKey(0x101)));
}

TEST_F(SearchMatchTest, AnyConditionStoresTheFirstMatchingNumber) {
  EpgEvent event = Titled(L"drama");
  Set(L"SEARCH_01", L"WORD", L"drama");  // not enabled
  Set(L"SEARCH_02", L"ENABLE", L"1");
  Set(L"SEARCH_02", L"WORD", L"news");
  Set(L"SEARCH_03", L"ENABLE", L"1");
  Set(L"SEARCH_03", L"WORD", L"drama");
  Set(L"SEARCH_03", L"CH_T_MODE", L"0");
  Set(L"SEARCH_05", L"ENABLE", L"1");
  Set(L"SEARCH_05", L"WORD", L"drama");
  Set(L"SEARCH_06", L"ENABLE", L"1");
  Set(L"SEARCH_06", L"WORD", L"drama");
  EXPECT_TRUE(MatchAnySearchCondition(event));
  EXPECT_EQ(ConditionNumberOf(event), 5u);
  EXPECT_FALSE(Settings().HasSection(L"SEARCH_04"));  // looking does not create sections

  EpgEvent other = Titled(L"weather");
  SetConditionNumber(other, 9);
  EXPECT_FALSE(MatchAnySearchCondition(other));
  EXPECT_EQ(ConditionNumberOf(other), 9u);  // untouched without a match
}

TEST_F(SearchMatchTest, ConditionCountBoundsTheNumbersTried) {
  EpgEvent event = Titled(L"drama");
  Set(L"SEARCH_20", L"ENABLE", L"1");
  Set(L"SEARCH_20", L"WORD", L"drama");
  Set(L"SEARCH_100", L"ENABLE", L"1");
  Set(L"SEARCH_100", L"WORD", L"drama");
  for (const wchar_t* count : {L"0", L"1000", L"-3", L"many"}) {
    Set(L"SYSTEM", L"CONDITIONCOUNT", count);
    EXPECT_EQ(SearchConditionCount(Settings()), 20) << count;
  }
  Set(L"SYSTEM", L"CONDITIONCOUNT", L"19");
  EXPECT_FALSE(MatchAnySearchCondition(event));
  Settings().DeleteSection(L"SEARCH_20");
  Set(L"SYSTEM", L"CONDITIONCOUNT", L"100");
  EXPECT_TRUE(MatchAnySearchCondition(event));
  EXPECT_EQ(ConditionNumberOf(event), 100u);
  EXPECT_EQ(SearchSectionName(7), L"SEARCH_07");
}

TEST_F(SearchMatchTest, ConditionSectionsCanLiveInAnyDocument) {
  IniFile scratch;
  IniSection section(scratch);
  section.Select(L"dummy", true);
  section.SetString(nullptr, L"WORD", L"drama");
  section.SetString(nullptr, L"CH_T_MODE", L"0");
  EXPECT_TRUE(MatchSearchCondition(section, Titled(L"drama")));
  EXPECT_FALSE(MatchChannelMode(section, TrKey(0x400)));
}

}  // namespace
}  // namespace plimod::test
