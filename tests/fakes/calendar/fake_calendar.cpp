// A stand-in for the calendar web service: an HTTP/1.1 server on 127.0.0.1
// that records every request and answers with a reply the test stored.
//
//   fake_calendar --port-file FILE --dir DIR
//
// It listens on an ephemeral port and writes the port number to FILE. Each
// request (request line, headers and body as received) is written to
// DIR/request-NNNN.txt, numbered from 1. The answer comes from DIR/reply.txt,
// read anew for every request: option lines, an empty line, then the body.
//   status N     the status code (200 when missing)
//   delay-ms N   waits before answering
//   drop         closes the connection without answering
//   cut N        announces the whole body but sends only its first N bytes
// Without reply.txt the answer is 200 with an empty body. SIGTERM ends it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr int kIoTimeoutMs = 5000;
constexpr std::size_t kMaxRequestBytes = 4 * 1024 * 1024;

volatile sig_atomic_t stopRequested = 0;

void OnTerm(int) { stopRequested = 1; }

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

struct Reply {
  int status = 200;
  int delayMs = 0;
  bool drop = false;
  std::optional<std::size_t> cut;
  std::string body;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFileWhole(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::rename(temporary.c_str(), path.c_str());
}

Reply LoadReply(const std::string& dir) {
  Reply reply;
  const std::string text = ReadFile(dir + "/reply.txt");
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty()) {
      reply.body = pos < text.size() ? text.substr(pos) : std::string();
      break;
    }
    std::istringstream words(line);
    std::string option;
    long value = 0;
    words >> option >> value;
    if (option == "status") reply.status = static_cast<int>(value);
    if (option == "delay-ms") reply.delayMs = static_cast<int>(value);
    if (option == "drop") reply.drop = true;
    if (option == "cut") reply.cut = static_cast<std::size_t>(value);
  }
  return reply;
}

bool WaitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, kIoTimeoutMs) > 0;
}

bool SendAll(int fd, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The value of a header (name compared without case) in the header block.
std::string HeaderValue(const std::string& head, const std::string& name) {
  const std::string lower = LowerCase(head);
  const std::size_t at = lower.find("\r\n" + LowerCase(name) + ":");
  if (at == std::string::npos) return {};
  std::size_t begin = at + name.size() + 3;
  const std::size_t end = head.find("\r\n", begin);
  while (begin < end && head[begin] == ' ') ++begin;
  return head.substr(begin, end - begin);
}

// Reads the request head, answers "100 Continue" when asked, then the body.
std::optional<std::string> ReadRequest(int fd) {
  std::string request;
  char buffer[8192];
  std::size_t headEnd = std::string::npos;
  while (headEnd == std::string::npos) {
    if (request.size() > kMaxRequestBytes || !WaitReadable(fd)) return std::nullopt;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return std::nullopt;
    request.append(buffer, static_cast<std::size_t>(n));
    headEnd = request.find("\r\n\r\n");
  }
  const std::string head = request.substr(0, headEnd + 2);
  const std::size_t length = std::strtoul(HeaderValue(head, "Content-Length").c_str(), nullptr, 10);
  if (length > kMaxRequestBytes) return std::nullopt;
  if (LowerCase(HeaderValue(head, "Expect")) == "100-continue") SendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
  while (request.size() < headEnd + 4 + length) {
    if (!WaitReadable(fd)) return std::nullopt;
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return std::nullopt;
    request.append(buffer, static_cast<std::size_t>(n));
  }
  return request;
}

const char* ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

void Answer(int fd, const Reply& reply) {
  if (reply.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
  if (reply.drop) return;
  std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonOf(reply.status) + "\r\n" +
                    "Content-Type: text/xml; charset=UTF-8\r\n" +
                    "Content-Length: " + std::to_string(reply.body.size()) + "\r\n" +
                    "Connection: close\r\n\r\n";
  out += reply.cut ? reply.body.substr(0, std::min(*reply.cut, reply.body.size())) : reply.body;
  SendAll(fd, out);
}

void Serve(int client, const std::string& dir, int& requestCount) {
  const std::optional<std::string> request = ReadRequest(client);
  if (!request) return;
  char name[32];
  std::snprintf(name, sizeof name, "/request-%04d.txt", ++requestCount);
  WriteFileWhole(dir + name, *request);
  Answer(client, LoadReply(dir));
}

int Listen() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int PortOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

}  // namespace

int main(int argc, char** argv) {
  std::string portFile;
  std::string dir;
  bool unknown = false;
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 < argc && std::strcmp(argv[i], "--port-file") == 0) {
      portFile = argv[i + 1];
    } else if (i + 1 < argc && std::strcmp(argv[i], "--dir") == 0) {
      dir = argv[i + 1];
    } else {
      unknown = true;
    }
  }
  if (unknown || portFile.empty() || dir.empty()) {
    std::fprintf(stderr, "usage: fake_calendar --port-file FILE --dir DIR\n");
    return 2;
  }
  struct sigaction term {};
  term.sa_handler = OnTerm;
  ::sigaction(SIGTERM, &term, nullptr);
  ::sigaction(SIGINT, &term, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  Fd listener(Listen());
  if (listener.get() < 0) return 1;
  WriteFileWhole(portFile, std::to_string(PortOf(listener.get())) + "\n");
  int requestCount = 0;
  while (!stopRequested) {
    pollfd p{listener.get(), POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    Fd client(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (client.get() >= 0) Serve(client.get(), dir, requestCount);
  }
  return 0;
}
