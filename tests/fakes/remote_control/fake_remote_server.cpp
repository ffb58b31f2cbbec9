// Stands in for a network remote-control server: TCP on 127.0.0.1 (a port
// of the system's choice), plain-text requests without line ends, replies
// from a scripted set of BonDrivers and services.
//
//   fake_remote_server --script FILE --log FILE --port-file FILE [--silent]
//
// Script lines, fields separated by TAB:
//   current  INDEX            the BonDriver index reported at start (one
//                             outside the list serves the first one's services)
//   bon      ID  NAME         a BonDriver
//   service  ID  NAME         a service of the last BonDriver
//   reply    REQUEST  TEXT    answer REQUEST with TEXT as it is (TABs kept)
// Names are bytes as written (code page 932 when the test wants it).
// Each request is appended to the log, one per line. The port is written to
// the port file once the server listens. --silent: read, never answer.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Entry {
  int id = 0;
  std::string name;
};

struct BonDriver {
  Entry entry;
  std::vector<Entry> services;
};

struct Script {
  int current = 0;
  std::vector<BonDriver> bonDrivers;
  std::map<std::string, std::string> fixedReplies;
};

std::vector<std::string> SplitTabs(const std::string& line, std::size_t maxFields) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() + 1 < maxFields) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string::npos) break;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

Script ReadScript(const std::string& path) {
  Script script;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = SplitTabs(line, 3);
    if (f[0] == "current" && f.size() >= 2) {
      script.current = std::atoi(f[1].c_str());
    } else if (f[0] == "bon" && f.size() == 3) {
      script.bonDrivers.push_back({{std::atoi(f[1].c_str()), f[2]}, {}});
    } else if (f[0] == "service" && f.size() == 3 && !script.bonDrivers.empty()) {
      script.bonDrivers.back().services.push_back({std::atoi(f[1].c_str()), f[2]});
    } else if (f[0] == "reply" && f.size() == 3) {
      script.fixedReplies[f[1]] = f[2];
    }
  }
  return script;
}

std::string ListReply(int current, const std::vector<Entry>& entries) {
  std::string reply = "0\t" + std::to_string(current);
  for (const Entry& e : entries) reply += "\t" + std::to_string(e.id) + "\t" + e.name;
  return reply;
}

std::string Answer(Script& script, const std::string& request) {
  if (const auto fixed = script.fixedReplies.find(request); fixed != script.fixedReplies.end()) return fixed->second;
  const int count = static_cast<int>(script.bonDrivers.size());
  const int serving = script.current >= 0 && script.current < count ? script.current : 0;
  if (request == "GetBonList") {
    std::vector<Entry> entries;
    for (const BonDriver& b : script.bonDrivers) entries.push_back(b.entry);
    return ListReply(script.current, entries);
  }
  if (request == "GetServiceList2") {
    return count > 0 ? ListReply(0, script.bonDrivers[serving].services) : "1\t-1\t";
  }
  if (request.rfind("SetBon:", 0) == 0) {
    const int id = std::atoi(request.c_str() + 7);
    for (int i = 0; i < count; ++i) {
      if (script.bonDrivers[i].entry.id == id) {
        script.current = i;
        return "1";
      }
    }
    return "0";
  }
  if (request.rfind("SetService2:", 0) == 0) return count > 0 ? "1" : "0";
  return "0";
}

void AppendToLog(const std::string& path, const std::string& request) {
  std::ofstream log(path, std::ios::binary | std::ios::app);
  log << request << '\n';
}

bool WritePortFile(const std::string& path, int port) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary);
    out << port << '\n';
    if (!out) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

void Serve(int client, Script& script, const std::string& logPath, bool silent) {
  char buffer[4096];
  while (true) {
    const ssize_t got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    const std::string request(buffer, static_cast<std::size_t>(got));
    AppendToLog(logPath, request);
    if (silent) continue;
    const std::string reply = Answer(script, request);
    if (send(client, reply.data(), reply.size(), MSG_NOSIGNAL) < 0) return;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string scriptPath, logPath, portPath;
  bool silent = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--silent") {
      silent = true;
    } else if (i + 1 < argc && arg == "--script") {
      scriptPath = argv[++i];
    } else if (i + 1 < argc && arg == "--log") {
      logPath = argv[++i];
    } else if (i + 1 < argc && arg == "--port-file") {
      portPath = argv[++i];
    } else {
      scriptPath.clear();  // an unknown argument: show the usage
      break;
    }
  }
  if (scriptPath.empty() || logPath.empty() || portPath.empty()) {
    std::fprintf(stderr, "usage: fake_remote_server --script F --log F --port-file F [--silent]\n");
    return 2;
  }
  Script script = ReadScript(scriptPath);
  const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 4) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      !WritePortFile(portPath, ntohs(address.sin_port))) {
    std::perror("fake_remote_server");
    return 1;
  }
  while (true) {
    const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Serve(client, script, logPath, silent);
    close(client);
  }
}
