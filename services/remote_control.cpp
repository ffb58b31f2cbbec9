#include "services/remote_control.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/file.h"
#include "util/format.h"

namespace plimod {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kChunkBytes = 256;
constexpr std::size_t kRequestSize = 64;
constexpr std::size_t kNameSize = 64;  // 63 bytes and a NUL
// Later chunks of a reply only count when they follow within this.
constexpr std::chrono::milliseconds kFollowUpWait{1};

struct RemoteState {
  UniqueFd socket;
  std::string host;
  std::string port;
  std::chrono::milliseconds connectTimeout = kRemoteConnectTimeout;
  std::chrono::milliseconds receiveTimeout = kRemoteReceiveTimeout;
};

RemoteState& State() {
  static RemoteState state;
  return state;
}

// atoi without its overflow: leading blanks, a sign, digits; clamped.
int LeadingNumber(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

bool WaitFor(int fd, short events, std::chrono::milliseconds timeout) {
  pollfd watch{fd, events, 0};
  int ready;
  do {
    ready = poll(&watch, 1, static_cast<int>(timeout.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

bool RemoteAddress(sockaddr_in& address) {
  const RemoteState& state = State();
  char* end = nullptr;
  const long port = std::strtol(state.port.c_str(), &end, 10);
  if (port <= 0 || port > 65535) return false;
  address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return inet_pton(AF_INET, state.host.c_str(), &address.sin_addr) == 1;
}

// A connect that gives up after the connect bound instead of the system's
// minutes-long retries.
bool ConnectWithin(const UniqueFd& fd, const sockaddr_in& address, std::chrono::milliseconds timeout) {
  if (connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno != EINPROGRESS || !WaitFor(fd.get(), POLLOUT, timeout)) return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) return false;
  }
  const int flags = fcntl(fd.get(), F_GETFL);
  return flags >= 0 && fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Collects chunks while they keep coming; false when a receive failed.
bool ReceiveReply(int fd, std::string& reply) {
  const auto deadline = Clock::now() + State().receiveTimeout;
  if (!WaitFor(fd, POLLIN, State().receiveTimeout)) return false;
  ssize_t got = 0;
  do {
    char chunk[kChunkBytes];
    got = recv(fd, chunk, sizeof chunk, 0);
    // A chunk that would overfill the reply is dropped; reading goes on.
    if (got > 0 && reply.size() + static_cast<std::size_t>(got) < kRemoteReplySize) reply.append(chunk, got);
  } while (got > 0 && WaitFor(fd, POLLIN, kFollowUpWait) && Clock::now() < deadline);
  return got >= 0;
}

int ListRequest(const char* request, std::vector<RemoteListEntry>& entries, int& current) {
  std::string reply;
  if (!RemoteTransact(request, reply)) return -1;
  return ParseRemoteList(reply, entries, current);
}

int NumberRequest(const char* format, int id) {
  char request[kRequestSize];
  FormatA(request, sizeof request, format, id);
  std::string reply;
  if (!RemoteTransact(request, reply)) return -1;
  return LeadingNumber(reply.c_str());
}

bool HasServiceNamed(const std::vector<RemoteListEntry>& services, const std::string& name, int& id) {
  for (const RemoteListEntry& service : services) {
    if (service.name == name) {
      id = service.id;
      return true;
    }
  }
  return false;
}

}  // namespace

int RemoteConnect() {
  RemoteState& state = State();
  if (state.socket) return 0;
  sockaddr_in address;
  if (!RemoteAddress(address)) return 0;
  UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd || !ConnectWithin(fd, address, state.connectTimeout)) return 0;
  state.socket = std::move(fd);
  return 1;
}

int RemoteDisconnect() {
  State().socket.reset();
  return 1;
}

int RemoteTransact(std::string_view request, std::string& reply) {
  reply.clear();
  if (!State().socket) RemoteConnect();
  const int fd = State().socket.get();
  const bool sent = fd >= 0 && send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                                   static_cast<ssize_t>(request.size());
  if (!sent || !ReceiveReply(fd, reply) || reply.empty()) {
    RemoteDisconnect();
    return 0;
  }
  return 1;
}

int ParseRemoteList(std::string_view reply, std::vector<RemoteListEntry>& entries, int& current) {
  // The reply is read as the text it is up to a NUL.
  const std::string text(reply.substr(0, reply.find('\0')));
  const char* s = text.c_str();
  const int result = LeadingNumber(s);
  const std::size_t firstTab = text.find('\t');
  if (firstTab == std::string::npos) return -1;
  const int reportedCurrent = LeadingNumber(s + firstTab + 1);
  const std::size_t secondTab = text.find('\t', firstTab + 1);
  if (secondTab == std::string::npos) return -1;
  std::size_t pos = secondTab + 1;
  while (true) {
    RemoteListEntry entry;
    entry.id = LeadingNumber(s + pos);
    const std::size_t nameStart = text.find('\t', pos);
    if (nameStart == std::string::npos) break;
    const std::size_t nameEnd = text.find('\t', nameStart + 1);
    if (nameEnd == std::string::npos) {
      char name[kNameSize];
      FormatA(name, sizeof name, "%s", s + nameStart + 1);
      entry.name = name;
      entries.push_back(std::move(entry));
      break;
    }
    // Cut at exactly 63 bytes, as the server's names always were.
    entry.name = text.substr(nameStart + 1, std::min(nameEnd - nameStart - 1, kNameSize - 1));
    entries.push_back(std::move(entry));
    pos = nameEnd + 1;
  }
  if (reportedCurrent != -1) current = reportedCurrent;
  return result;
}

int RemoteGetBonList(std::vector<RemoteListEntry>& entries, int& current) {
  return ListRequest("GetBonList", entries, current);
}

int RemoteGetServiceList2(std::vector<RemoteListEntry>& entries, int& current) {
  return ListRequest("GetServiceList2", entries, current);
}

int RemoteSetBon(int id) { return NumberRequest("SetBon:%d", id); }

int RemoteSetService2(int id) { return NumberRequest("SetService2:%d", id); }

bool TuneRemoteToService(const std::string& name, const std::string& host, const std::string& port, bool search) {
  State().host = host;
  State().port = port;
  RemoteConnect();
  std::vector<RemoteListEntry> bonDrivers;
  int current = 0;
  if (RemoteGetBonList(bonDrivers, current) != 0) {
    RemoteDisconnect();
    return false;
  }
  const int count = static_cast<int>(bonDrivers.size());
  // An index the list does not have is read like "none": start at the first.
  const int start = current >= 0 && current < count ? current : 0;
  for (int step = 0; step < count; ++step) {
    const int index = (start + step) % count;
    if (index != current) RemoteSetBon(bonDrivers[index].id);
    if (!search) continue;
    std::vector<RemoteListEntry> services;
    int serviceCurrent = 0;
    int serviceId = 0;
    if (RemoteGetServiceList2(services, serviceCurrent) == 0 && HasServiceNamed(services, name, serviceId)) {
      RemoteSetService2(serviceId);
      RemoteDisconnect();
      return true;
    }
  }
  RemoteDisconnect();
  return false;
}

void SetRemoteTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds receive) {
  State().connectTimeout = connect;
  State().receiveTimeout = receive;
}

}  // namespace plimod
