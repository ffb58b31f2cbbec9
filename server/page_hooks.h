#pragma once
// The pages the server runs are set by start-up, so the server does not
// depend on the dispatcher or the mobile pages. Until they are set, the root
// path answers a minimal page and "/m/" a short stub.

#include <functional>

#include "server/reply_writer.h"

namespace plimod {

// Runs one page for the current request (parameters and request values
// through CurrentRequestContext) and writes its reply.
using PageHandler = std::function<int(ReplyWriter&)>;

// The handler of the root path (run on the request worker). An empty
// function restores the default.
void SetPageHandler(PageHandler handler);
// The handler of "/m/". An empty function restores the default. It runs on
// the listening thread, except for the requests `callsRecorder` picks
// (judged from the current request's parameters): those may wait on the
// recorder, so they run on the mobile pages' own worker.
void SetMobilePageHandler(PageHandler handler, std::function<bool()> callsRecorder = {});
bool MobilePageCallsRecorder();

int RunPageHandler(ReplyWriter& out);
int RunMobilePageHandler(ReplyWriter& out);

}  // namespace plimod
