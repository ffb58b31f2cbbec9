#pragma once
// The fake calendar service (tests/fakes/fake_calendar) running for one
// scope: its base URL, the reply it gives next, and the requests it got.

#include <sys/types.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace plimod::test {

// One request as the fake received it. Header names are in lower case.
struct RecordedRequest {
  std::string method;
  std::string path;
  std::string query;  // without "?"
  std::map<std::string, std::string> headers;
  std::string body;
};
RecordedRequest ParseRecordedRequest(const std::string& raw);

class FakeCalendar {
 public:
  FakeCalendar();
  ~FakeCalendar();
  FakeCalendar(const FakeCalendar&) = delete;
  FakeCalendar& operator=(const FakeCalendar&) = delete;

  bool Running() const { return port_ > 0; }
  // "http://127.0.0.1:PORT/"
  std::string BaseUrl() const;

  // What every following request gets, until the next call.
  void Reply(int status, const std::string& body, int delayMs = 0) const;
  // Closes each connection without an answer.
  void DropReplies() const;
  // Announces the whole body but sends only `sentBytes` of it.
  void CutReplies(const std::string& body, std::size_t sentBytes) const;

  // Every request so far, in order.
  std::vector<RecordedRequest> Requests() const;

 private:
  void WriteReply(const std::string& options, const std::string& body) const;

  TempFolder folder_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A reply document of the service's form holding `items` (ProgItem lines).
std::string SyoboiReplyDocument(const std::vector<std::string>& items);

}  // namespace plimod::test
