#include "server/page_helpers.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "server/carry_over.h"
#include "server/request_token.h"
#include "server/start_program.h"

namespace plimod {
namespace {

TEST(ShortenToWidth, CountsColumnsAndMarksASplitWideCharacter) {
  auto shorten = [](std::wstring text, int width) {
    ShortenToWidth(text, width);
    return text;
  };
  EXPECT_EQ(shorten(L"ABCあい", 6), L"ABCあ.");
  EXPECT_EQ(shorten(L"ABCあい", 5), L"ABCあ");
  EXPECT_EQ(shorten(L"ABCあい", 4), L"ABC.");
  EXPECT_EQ(shorten(L"ｱｲｳｴ", 3), L"ｱｲｳ");  // half-width katakana: one column each
  EXPECT_EQ(shorten(L"AB\rC", 3), L"AB");  // CR on the last column ends the text
  EXPECT_EQ(shorten(L"A\rBC", 3), L"A\rB");
  EXPECT_EQ(shorten(L"", 4), L"");
}

TEST(DecodeUtf8, DecodesAllFormsAndStopsSafely) {
  EXPECT_EQ(DecodeUtf8("a\xC3\xA9\xE3\x81\x82\xF0\xA0\xAE\xB7z"), L"aéあ𠮷z");
  EXPECT_EQ(DecodeUtf8("ab\x80x"), L"ab");            // stray continuation byte
  EXPECT_EQ(DecodeUtf8("ab\xF8x"), L"ab");            // no such lead byte
  EXPECT_EQ(DecodeUtf8("ab\xE3\x81"), L"ab");         // cut by the end of the text
  EXPECT_EQ(DecodeUtf8(std::string("a\0b", 3)), L"a");
  EXPECT_EQ(DecodeUtf8("abcdef", 3), L"abc");
}

TEST(SmallHelpers, AttributesAndNumbers) {
  EXPECT_STREQ(SelectedAttr(true), " selected=selected");
  EXPECT_STREQ(CheckedAttrIf(2), " checked");
  EXPECT_STREQ(CheckedAttrIf(0), "");
  EXPECT_EQ(StringToInt(""), 0);
  EXPECT_EQ(StringToInt("-12x"), -12);
  EXPECT_EQ(IntToString(-5), "-5");
}

TEST(RequestToken, RandomAlphabetAndExactCheck) {
  std::string first = MakeRequestToken();
  std::string second = MakeRequestToken();  // a second start within the same second
  EXPECT_NE(first, second);
  ASSERT_EQ(second.size(), kRequestTokenLength);
  EXPECT_EQ(second.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_"),
            std::string::npos);
  EXPECT_TRUE(CheckRequestToken(second));
  EXPECT_FALSE(CheckRequestToken(first));
  EXPECT_FALSE(CheckRequestToken(""));
  EXPECT_FALSE(CheckRequestToken(second.substr(0, 31)));
}

TEST(CarryOver, ViewParametersInOrderAndEncoded) {
  RequestParameters p;
  p["day"] = "20791231";
  p["mode"] = "epg";
  p["hour"] = "";
  p["chid"] = "T0400H";
  p["other"] = "x";
  EXPECT_EQ(MakeCarryOverQuery(p), "mode=epg&day=20791231&chid=T0400H");
  EXPECT_EQ(MakeCarryOverQuery(p, "day"), "mode=epg&chid=T0400H");
  EXPECT_EQ(MakeCarryOverQuery(p, "xdayx,chid"), "mode=epg");

  p["mode"] = "a\r\nb \"q' &x=1#<";
  EXPECT_EQ(MakeCarryOverQuery(p, "day,chid"), "mode=a%0D%0Ab%20%22q%27%20%26x%3D1%23%3C");

  std::string out = "cmd=x";
  AppendCarryOverParam(p, out, "chid");
  EXPECT_EQ(out, "cmd=x&chid=T0400H");
}

TEST(CarryOver, OverlongParametersAreDroppedWhole) {
  RequestParameters p;
  p["mode"] = "epg";
  p["day"] = std::string(300, 'd');
  p["band"] = "111";
  EXPECT_EQ(MakeCarryOverQuery(p), "mode=epg&band=111");
}

TEST(CarryOver, HiddenFieldsInOrder) {
  RequestParameters p;
  p["range"] = "3";
  p["mode"] = "x' onclick='y";
  std::string reply;
  ReplyWriter out(&reply);
  WriteCarryOverHiddenFields(p, out, "range");
  EXPECT_EQ(reply, "<input type=hidden name=mode value='x%27%20onclick%3D%27y'>\n");
}

TEST(StartProgram, StartsADetachedProcess) {
  auto dir = std::filesystem::temp_directory_path() / ("plimod_spawn_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto script = dir / "prog.sh";
  auto marker = dir / "ran";
  {
    std::ofstream f(script);
    // Field 6 of /proc/PID/stat is the session id.
    f << "#!/bin/sh\nawk '{print $6}' /proc/$$/stat > '" << marker.string() << "'\n";
  }
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);

  pid_t pid = StartProgramMinimized(script.wstring());
  ASSERT_GT(pid, 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status));
  std::ifstream in(marker);
  pid_t session = 0;
  in >> session;
  EXPECT_EQ(session, pid);  // a session of its own

  EXPECT_EQ(StartProgramMinimized((dir / "missing").wstring()), 0);
  EXPECT_EQ(StartProgramMinimized(L""), 0);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace plimod
