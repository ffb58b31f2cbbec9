// The colour picker and the genre colour page on a string writer; a saved
// colour as the programme table paints it.
#include <gtest/gtest.h>

#include "guide/genre_colours.h"
#include "pages/forms/colour_picker.h"
#include "pages/settings/genre_colour_page.h"
#include "tests/guide/epg_page/epg_page_fixture.h"
#include "tests/pages/page_test_fixture.h"

namespace plimod::test {
namespace {

TEST(ColourPaletteTest, OrderedByProductKeepingGenerationOrderOnTies) {
  const std::vector<std::string> palette = ColourPalette();
  ASSERT_EQ(palette.size(), 125u);
  EXPECT_EQ(palette[0], "#808080");
  EXPECT_EQ(palette[1], "#8080a0");
  EXPECT_EQ(palette[2], "#80a080");
  EXPECT_EQ(palette[3], "#a08080");
  EXPECT_EQ(palette.back(), "#ffffff");
}

TEST(ColourPickerFormTest, DirectTakesTheTypedTextOthersTheValue) {
  RequestParameters params;
  EXPECT_FALSE(ReadColorPickerForm(params));
  params.Reset("color_value=direct&color_text=%23ABCDEF0123456789xyz");
  EXPECT_EQ(ReadColorPickerForm(params), L"#ABCDEF01234567");
  params.Reset("color_value=%23a0a0ff&color_text=red");
  EXPECT_EQ(ReadColorPickerForm(params), L"#a0a0ff");
}

class GenreColourPageTest : public PageTest {
 protected:
  std::string Page(const std::string& query) { return Run(ServeGenreColorPage, query); }
  std::string Save(const std::string& query) { return SettingsPageFixture::Save(ServeGenreColorPage, query); }
  std::string Stored(int index) {
    return WideToUtf8String(
        Settings().GetString(L"GENRECOLOR", std::wstring(GenreColourKey(index)).c_str()).value_or(L"(none)"));
  }
};

TEST_F(GenreColourPageTest, MissingSectionShowsTheThirteenDefaults) {
  const std::string page = Page("cmd=genre");
  EXPECT_EQ(page.rfind("HTTP/1.0 200 OK\nContent-Type: text/html; charset=utf-8\n\n", 0), 0u);
  EXPECT_NE(page.find("<TITLE>ジャンル色設定</TITLE>"), std::string::npos);
  EXPECT_EQ(CountOf(page, "<input name=genrecolor_"), 13);
  EXPECT_NE(page.find("<tr><td>ドラマ</td><td><input name=genrecolor_3 value='#f5c5f8' size=16></td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td>ジャンル無し</td><td><input name=genrecolor_12 value='#c0c0c0' size=16></td>"
                      "<td><span class=square style='background-color: #c0c0c0;'>　いろは　</span></td>"
                      "<td><input type=submit name=color_12 value='参照'></td></tr>\n"),
            std::string::npos);
}

TEST_F(GenreColourPageTest, TypedColoursAreSavedAndAnEmptiedFieldKeepsItsColour) {
  Settings().SetString(L"GENRECOLOR", L"音楽", L"#010101");
  const std::string page = Save("cmd=genre&genrecolor_0=%23102030&genrecolor_4=&submit=x");
  EXPECT_EQ(Stored(0), "#102030");
  EXPECT_EQ(Stored(4), "#010101");
  EXPECT_EQ(Stored(1), "(none)");
  EXPECT_NE(SavedFile().find("ニュース・報道=#102030"), std::string::npos);
  EXPECT_NE(page.find("value='#102030'"), std::string::npos);

  EXPECT_EQ(Save("cmd=genre&genrecolor_0=%23000000&return=x&mode=epg"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=config&mode=epg\n\n");
}

TEST_F(GenreColourPageTest, PostWithoutTheTokenChangesNothing) {
  Run(ServeGenreColorPage, "cmd=genre&spc=x&token=wrong&genrecolor_0=%23102030&submit=x");
  EXPECT_EQ(Stored(0), "(none)");
  EXPECT_FALSE(Saved());
}

TEST_F(GenreColourPageTest, BrowseSavesTypedColoursThenPickerReturnsToTheGenrePage) {
  std::string picker = Save("cmd=genre&genrecolor_3=%23abcdef&genrecolor_5=%23123456&color_3=x");
  EXPECT_EQ(Stored(5), "#123456");
  EXPECT_NE(picker.find("<TITLE>色の参照</TITLE>"), std::string::npos);
  EXPECT_NE(picker.find("<A HREF='?cmd=genre&sh_idx=3&'>戻る</A><HR>\n"), std::string::npos);
  EXPECT_NE(picker.find("<input type=hidden name=sh_idx value='3'>"), std::string::npos);
  // Not a palette colour: the direct choice is ticked and shows the text.
  EXPECT_NE(picker.find("<input type=radio name=color_value value='direct' checked>直接指定:"
                        "<input name=color_text size=8 value='#abcdef'>"),
            std::string::npos);
  EXPECT_EQ(CountOf(picker, " checked"), 1);

  EXPECT_EQ(Save("cmd=genre&sh_idx=3&color_value=%23a0a0ff&submit=x&mode=epg"),
            "HTTP/1.0 302 Moved Temporarily\nLocation: /?cmd=genre&mode=epg\n\n");
  EXPECT_EQ(Stored(3), "#a0a0ff");

  picker = Save("cmd=genre&sh_idx=3&color_value=%23808080&colorupdate=x");
  EXPECT_EQ(Stored(3), "#808080");
  EXPECT_NE(picker.find("value='#808080' checked>"), std::string::npos);
  EXPECT_EQ(CountOf(picker, " checked"), 1);
}

TEST_F(GenreColourPageTest, IndexOutsideTheEntriesOrNoColourStoresNothing) {
  const std::string page = Save("cmd=genre&sh_idx=13&color_value=%23808080&submit=x");
  EXPECT_NE(page.find("<TITLE>ジャンル色設定</TITLE>"), std::string::npos);
  EXPECT_FALSE(Settings().HasSection(L"GENRECOLOR"));
  Save("cmd=genre&sh_idx=-5&genrecolor_0=%23111111");
  EXPECT_FALSE(Settings().HasSection(L"GENRECOLOR"));

  Settings().SetString(L"GENRECOLOR", L"ドラマ", L"#222222");
  const std::string picker = Save("cmd=genre&sh_idx=3&colorupdate=x");
  EXPECT_EQ(Stored(3), "#222222");
  EXPECT_NE(picker.find("value='#222222'>"), std::string::npos);
}

TEST_F(GenreColourPageTest, ColoursAreEscapedWhereThePageWritesThem) {
  Save("cmd=genre&genrecolor_0=red%27+onclick%3D%27x&submit=x");
  const std::string page = Page("cmd=genre");
  EXPECT_EQ(page.find("onclick='x"), std::string::npos);
  EXPECT_NE(page.find("value='red&#39; onclick=&#39;x'"), std::string::npos);
}

class GenreColourTableTest : public EpgPageFixture {};

TEST_F(GenreColourTableTest, SavedColourPaintsTheProgrammeTableCells) {
  TempFolder home("genre-home");
  Settings().Load(home.File("plimo.ini").wstring(), true);
  const std::uint64_t key = ServiceKey(0x7FE0, 0x7FE0, 0x0400);
  EpgEvent drama = Programme(key, 1, 2025, 3, 1, 12, 0, 60, L"ドラマ回");
  drama.genres.push_back({3, 0, 0, 0});
  Add(drama);
  if (GetRequestToken().empty()) MakeRequestToken();
  RequestContext context;
  context.host = "here";
  context.referer = "http://here/";
  ScopedRequestContext installed(context);
  RequestParameters& params = context.params;
  params.Reset("cmd=genre&spc=x&submit=x&genrecolor_3=%23123abc&genrecolor_12=bad%27colour&token=" + GetRequestToken());
  std::string saved;
  ReplyWriter out(&saved);
  EXPECT_EQ(ServeGenreColorPage(out, params, Settings()), 0);

  EpgEvent plain = Programme(key, 2, 2025, 3, 1, 13, 0, 60, L"無分類");
  Add(plain);
  const std::string page = Render("mode=epg&day=20250301&hour=12&range=2");
  EXPECT_NE(page.find("bgcolor=#123abc"), std::string::npos) << page;
  EXPECT_NE(page.find("bgcolor='bad&#39;colour'"), std::string::npos) << page;
}

}  // namespace
}  // namespace plimod::test
