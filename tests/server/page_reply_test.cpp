#include "server/page_reply.h"

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "server/form_fields.h"
#include "server/request_context.h"
#include "server/text_with_br.h"

namespace plimod {
namespace {

TEST(PageReply, StatusLineGoesOnlyBeforeTheFirstChunk) {
  std::string reply;
  ReplyWriter out(&reply);
  SendPageText(out, "Content-Type: text/html\n\n");
  SendPageText(out, "Content-Type: is text here\n");
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/html\n\nContent-Type: is text here\n");

  std::string plain;
  ReplyWriter body_only(&plain);
  SendPageText(body_only, "%s-%d", "x", 5);
  EXPECT_EQ(plain, "x-5");

  std::string raw;
  ReplyWriter raw_out(&raw);
  SendRawFormat(raw_out, "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\n");
  SendPageText(raw_out, "Content-Type: text/plain\n");
  EXPECT_EQ(raw, "HTTP/1.0 503 Service Unavailable\nContent-Type: text/plain\n\nContent-Type: text/plain\n");
}

TEST(PageReply, LocationLinesGetTheRedirectStatusAndNoSmuggledHeaders) {
  std::string reply;
  ReplyWriter out(&reply);
  SendPageText(out, "Location: /?%s\n", "mode=a\r\nSet-Cookie: x=1");
  SendPageText(out, "\n");
  EXPECT_EQ(reply, "HTTP/1.0 302 Moved Temporarily\nLocation: /?mode=a\n\n");

  std::string both;
  ReplyWriter out2(&both);
  SendPageText(out2, "Location: /\n\n");
  EXPECT_EQ(both, "HTTP/1.0 302 Moved Temporarily\nLocation: /\n\n");
}

TEST(PageReply, ErrorTextAndWideText) {
  std::string reply;
  ReplyWriter out(&reply);
  SendErrorText(out, "method error");
  EXPECT_EQ(reply, "HTTP/1.0 200 OK\nContent-Type: text/plain\n\nerror(method error)\n");

  std::string wide;
  ReplyWriter wide_out(&wide);
  SendPageTextW(wide_out, L"Content-Type: text/html\n\n%ls:%d𠮷", L"番組", 7);
  EXPECT_EQ(wide, "HTTP/1.0 200 OK\nContent-Type: text/html\n\n番組:7𠮷");
}

TEST(PageReply, LongTextsArriveWholeOverASocket) {
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  std::string page(20000, 'x');
  for (size_t i = 0; i < page.size(); i += 100) page[i] = '\n';
  std::wstring wide_page(9000, L'あ');  // 27000 bytes of UTF-8

  std::string received;
  std::thread reader([&] {
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[1], buf, sizeof buf)) > 0) received.append(buf, n);
  });
  {
    ReplyWriter out(fds[0]);
    SendPageText(out, "Content-Type: text/html\n\n%s", page.c_str());
    SendPageTextW(out, L"%ls", wide_page.c_str());
  }
  close(fds[0]);
  reader.join();
  close(fds[1]);

  std::string expected = "HTTP/1.0 200 OK\nContent-Type: text/html\n\n" + page;
  for (int i = 0; i < 9000; ++i) expected += "あ";
  EXPECT_EQ(received.size(), expected.size());
  EXPECT_EQ(received, expected);
}

TEST(PageReply, SendToAClosedPeerFailsQuietly) {
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
  close(fds[1]);
  ReplyWriter out(fds[0]);
  EXPECT_EQ(SendPageText(out, "Content-Type: text/plain\n\n"), -1);  // no SIGPIPE
  EXPECT_EQ(SendBytes(out, "more"), -1);
  close(fds[0]);
}

TEST(FormFields, HiddenFieldsDropQuotesAndSkipEmptyValues) {
  RequestContext context;
  context.params["name"] = "it's";
  context.params["blank"] = "";
  ScopedRequestContext scope(context);
  EXPECT_EQ(GetFormParam("name"), "its");
  EXPECT_EQ(GetFormParam("missing"), "");

  std::string reply;
  ReplyWriter out(&reply);
  WriteHiddenField(out, "name");
  WriteHiddenField(out, "blank");
  WriteHiddenField(out, "missing");
  EXPECT_EQ(reply, "<input type=hidden name=name value='its'>\n");
}

TEST(TextWithBr, LineEndsBecomeBreaks) {
  std::string reply;
  ReplyWriter out(&reply);
  WriteTextWithBr(out, "one\r\ntwo\r\nthree");
  EXPECT_EQ(reply, "one<BR>two<BR>three");

  std::string lone;
  ReplyWriter out2(&lone);
  WriteTextWithBr(out2, "end\r");
  EXPECT_EQ(lone, "end<BR>");
}

}  // namespace
}  // namespace plimod
