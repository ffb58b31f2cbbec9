#include "server/page_hooks.h"

#include <mutex>

#include "server/page_reply.h"

namespace plimod {

namespace {

int DefaultPage(ReplyWriter& out) {
  SendPageText(out, "Content-Type: text/html; charset=utf-8\n\n");
  SendPageText(out, "<html><head><title>plimod</title></head><body>plimod</body></html>\n");
  return 0;
}

// Until the mobile pages are installed they answer as the dispatcher does
// for a page it cannot show yet.
int DefaultMobilePage(ReplyWriter& out) {
  SendPageText(out, "Content-Type: text/plain; charset=utf-8\n\n");
  SendPageText(out, "このページはまだ使えません (m)\n");
  return 0;
}

std::mutex g_mutex;
PageHandler g_page = DefaultPage;
PageHandler g_mobile = DefaultMobilePage;
std::function<bool()> g_mobileCallsRecorder;

PageHandler Current(const PageHandler& slot) {
  std::lock_guard lock(g_mutex);
  return slot;
}

}  // namespace

void SetPageHandler(PageHandler handler) {
  std::lock_guard lock(g_mutex);
  g_page = handler ? std::move(handler) : PageHandler(DefaultPage);
}

void SetMobilePageHandler(PageHandler handler, std::function<bool()> callsRecorder) {
  std::lock_guard lock(g_mutex);
  g_mobile = handler ? std::move(handler) : PageHandler(DefaultMobilePage);
  g_mobileCallsRecorder = std::move(callsRecorder);
}

bool MobilePageCallsRecorder() {
  std::function<bool()> test;
  {
    std::lock_guard lock(g_mutex);
    test = g_mobileCallsRecorder;
  }
  return test && test();
}

int RunPageHandler(ReplyWriter& out) { return Current(g_page)(out); }

int RunMobilePageHandler(ReplyWriter& out) { return Current(g_mobile)(out); }

}  // namespace plimod
