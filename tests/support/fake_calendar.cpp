#include "tests/support/fake_calendar.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_home.h"

namespace plimod::test {

namespace {

constexpr auto kStartBound = std::chrono::seconds(60);  // a busy machine

int WaitForPort(const std::filesystem::path& portFile) {
  const auto deadline = std::chrono::steady_clock::now() + kStartBound;
  while (std::chrono::steady_clock::now() < deadline) {
    const std::string text = ReadFileBytes(portFile);
    if (!text.empty() && text.back() == '\n') return std::stoi(text);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return 0;
}

}  // namespace

RecordedRequest ParseRecordedRequest(const std::string& raw) {
  RecordedRequest request;
  const std::size_t headEnd = raw.find("\r\n\r\n");
  const std::string head = raw.substr(0, headEnd);
  if (headEnd != std::string::npos) request.body = raw.substr(headEnd + 4);
  std::istringstream lines(head);
  std::string line;
  std::getline(lines, line);
  std::istringstream requestLine(line);
  std::string target;
  requestLine >> request.method >> target;
  const std::size_t question = target.find('?');
  request.path = target.substr(0, question);
  if (question != std::string::npos) request.query = target.substr(question + 1);
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t valueStart = colon + 1;
    while (valueStart < line.size() && line[valueStart] == ' ') ++valueStart;
    request.headers[name] = line.substr(valueStart);
  }
  return request;
}

FakeCalendar::FakeCalendar() : folder_("fake-calendar") {
  const std::filesystem::path portFile = folder_.File("port");
  pid_ = StartProcess((kBuiltPrograms / "fake_calendar").string(), {"--port-file", portFile.string(), "--dir", folder_.Path().string()}, {});
  if (pid_ > 0) port_ = WaitForPort(portFile);
}

FakeCalendar::~FakeCalendar() {
  if (pid_ > 0) StopProcess(pid_, std::chrono::seconds(5));
}

std::string FakeCalendar::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

void FakeCalendar::WriteReply(const std::string& options, const std::string& body) const {
  WriteFileBytes(folder_.File("reply.txt"), options + "\n" + body);
}

void FakeCalendar::Reply(int status, const std::string& body, int delayMs) const {
  WriteReply("status " + std::to_string(status) + "\ndelay-ms " + std::to_string(delayMs) + "\n", body);
}

void FakeCalendar::DropReplies() const { WriteReply("drop\n", ""); }

void FakeCalendar::CutReplies(const std::string& body, std::size_t sentBytes) const {
  WriteReply("cut " + std::to_string(sentBytes) + "\n", body);
}

std::vector<RecordedRequest> FakeCalendar::Requests() const {
  std::vector<RecordedRequest> requests;
  for (int n = 1;; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "request-%04d.txt", n);
    const std::filesystem::path path = folder_.File(name);
    if (!std::filesystem::exists(path)) break;
    requests.push_back(ParseRecordedRequest(ReadFileBytes(path)));
  }
  return requests;
}

std::string SyoboiReplyDocument(const std::vector<std::string>& items) {
  std::string document =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<syobocal version=\"1.0\">\n<ProgItems>\n";
  for (const std::string& item : items) document += item + "\n";
  document += "</ProgItems>\n</syobocal>\n";
  return document;
}

}  // namespace plimod::test
