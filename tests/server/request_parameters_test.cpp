#include "server/request_parameters.h"

#include <gtest/gtest.h>

#include "server/request_context.h"

namespace plimod {
namespace {

// Parses as the server does for a request from `referer` to `host`.
RequestParameters ParseFrom(std::string_view text, std::string host = "example:18990",
                            std::string referer = "http://example:18990/?mode=epg") {
  RequestContext context;
  context.host = std::move(host);
  context.referer = std::move(referer);
  ScopedRequestContext scope(context);
  context.params.Reset(text);
  return context.params;
}

TEST(RequestParameters, DecodesPercentAndPlus) {
  RequestParameters p = ParseFrom("a=1&b=%41+c&e=%e3%81%82");
  EXPECT_EQ(p["a"], "1");
  EXPECT_EQ(p["b"], "A c");
  EXPECT_EQ(p["e"], "\xE3\x81\x82");
  EXPECT_EQ(p["_all"], "a=1&b=%41+c&e=%e3%81%82");
}

TEST(RequestParameters, DuplicatesJoinOrKeepFirstNonEmpty) {
  EXPECT_EQ(ParseFrom("a=1&a=2")["a"], "1\t2");
  EXPECT_EQ(ParseFrom("a=&a=2")["a"], "2");
  EXPECT_EQ(ParseFrom("a=1&a=&a=3")["a"], "1\t3");

  RequestParameters p = ParseFrom("a=1");
  p.Parse("a=2&b=3", false);
  EXPECT_EQ(p["a"], "1");
  EXPECT_EQ(p["b"], "3");
}

TEST(RequestParameters, OddPercentSequencesStayInsideTheText) {
  std::string text = "x%4";
  UrlDecodeInPlace(text);
  EXPECT_EQ(text, "x%4");
  text = "%";
  UrlDecodeInPlace(text);
  EXPECT_EQ(text, "%");
  text = "%zz%41";  // non-hex digits count as 0
  UrlDecodeInPlace(text);
  EXPECT_EQ(text, std::string("\0A", 2));
  EXPECT_EQ(ParseFrom("a=%00b")["a"], std::string("\0b", 2));
}

TEST(RequestParameters, AngleBracketsAreStoredEscapedAndNothingElse) {
  RequestParameters p = ParseFrom("w=%3Cb%3E&q=%22%27%26");
  EXPECT_EQ(p["w"], "&lt;b&gt;");
  EXPECT_EQ(p["q"], "\"'&");
  EXPECT_EQ(p["_all"], "w=%3Cb%3E&q=%22%27%26");
  EXPECT_EQ(ParseFrom("<x>")["_all"], "&lt;x&gt;");
}

TEST(RequestParameters, Cp932FormIsConvertedWhenSpcHoldsTheIdeographicSpace) {
  // 日本 in CP932, with the marker field first and last.
  RequestParameters p = ParseFrom("spc=%81%40&w=%93%FA%96%7B");
  EXPECT_EQ(p["w"], "日本");
  EXPECT_EQ(p["spc"], "\xE3\x80\x80");

  RequestParameters raw = ParseFrom("w=%93%FA%96%7B");
  EXPECT_EQ(raw["w"], "\x93\xFA\x96\x7B");

  std::string long_value;
  for (int i = 0; i < 3000; ++i) long_value += "%82%A0";  // あ
  RequestParameters big = ParseFrom("w=" + long_value + "&spc=%81%40");
  std::string expected;
  for (int i = 0; i < 3000; ++i) expected += "あ";
  EXPECT_EQ(big["w"], expected);
}

TEST(RequestParameters, ForeignReferersLoseCommands) {
  EXPECT_TRUE(ParseFrom("cmd=config&x=1", "example:18990", "").Empty());
  EXPECT_TRUE(ParseFrom("cmd=config", "example:18990", "http://evil/").Empty());
  // A host name that merely begins like ours is foreign too.
  EXPECT_TRUE(ParseFrom("cmd=config", "example", "http://example.evil/").Empty());
  EXPECT_TRUE(ParseFrom("c=1", "example", "http://evil/").Empty());

  EXPECT_EQ(ParseFrom("cmd=edcb", "example", "")["cmd"], "edcb");
  EXPECT_EQ(ParseFrom("cmd=syoboialert", "example", "")["cmd"], "syoboialert");
  EXPECT_EQ(ParseFrom("cmd=config", "example:18990", "http://example:18990/?cmd=x")["cmd"], "config");
  EXPECT_EQ(ParseFrom("mode=epg", "example", "")["mode"], "epg");
}

TEST(RequestParameters, NoContextMeansForeign) {
  RequestParameters p;
  p.Reset("cmd=config");
  EXPECT_TRUE(p.Empty());
  EXPECT_EQ(p.Parse(nullptr, true), 0);
}

TEST(RequestParameters, MultipartWithLfLines) {
  RequestParameters p = ParseFrom(
      "----------b\n"
      "Content-Disposition: form-data; name=\"first\"\n"
      "\n"
      "one <1>\n"
      "----------b\n"
      "Content-Disposition: form-data; name=second; x=y\n"
      "\n"
      "two\n"
      "----------b\n"
      "X-Other: 1\n"
      "\n"
      "anon\n"
      "----------b\n"
      "Content-Disposition: form-data; name=\"first\"\n"
      "\n"
      "again\n"
      "----------b\n"
      "Content-Disposition: form-data; name=\"empty\"\n"
      "\n"
      "\n"
      "----------b--\n",
      "example", "");
  EXPECT_EQ(p["first"], "one <1>\tagain");  // raw: no escaping in multipart
  EXPECT_EQ(p["second"], "two");
  EXPECT_EQ(p["dummy"], "anon");
  EXPECT_EQ(p.Value("empty"), "");
}

TEST(RequestParameters, MultipartWithoutFinalBoundaryStoresNothingOfTheLastPart) {
  RequestParameters p = ParseFrom(
      "----------b\nContent-Disposition: form-data; name=\"a\"\n\nkept\n----------b\n"
      "Content-Disposition: form-data; name=\"z\"\n\nlost\n",
      "example", "");
  EXPECT_EQ(p["a"], "kept");
  EXPECT_EQ(p.Value("z"), "");
  // Truncated head: no crash, nothing stored.
  EXPECT_EQ(ParseFrom("----------b\nContent-Disp", "example", "").Value("dummy"), "");
}

TEST(ReplaceAll, RestartsFromTheBeginning) {
  std::string text = "aaab";
  ReplaceAll(text, "ab", "b");
  EXPECT_EQ(text, "b");
  text = "x%253Dy";
  ReplaceAll(text, "%25", "%");
  EXPECT_EQ(text, "x%3Dy");
  // A replacement that contains the pattern must still end.
  text = "a-b";
  ReplaceAll(text, "-", "--");
  EXPECT_EQ(text, "a--b");
}

TEST(RequestContext, ParseRequestTextFillsTheInstalledContextOnly) {
  RequestContext worker;
  worker.host = "h";
  worker.referer = "http://h/";
  {
    ScopedRequestContext scope(worker);
    ParseRequestText("cmd=log");
    EXPECT_EQ(CurrentParameters()["cmd"], "log");
  }
  EXPECT_EQ(worker.params["cmd"], "log");
  EXPECT_EQ(CurrentRequestContext(), nullptr);
  EXPECT_EQ(RequestEnv("HTTP_COOKIE"), "");
}

}  // namespace
}  // namespace plimod
