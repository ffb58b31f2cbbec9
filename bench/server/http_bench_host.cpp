// A server for the load benchmark to measure from outside: serves the
// folder it is given and the default root page on 127.0.0.1, prints
// "PORT <n>", runs until its standard input closes, then stops and prints
// "DESCRIPTORS <before start> <after stop>".
//
// It uses only the server's start/stop interface, so the same file builds
// against an earlier tree for a before-and-after comparison.
//
//   bench_http_host <public_html folder>
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "server/http_config.h"
#include "server/http_server.h"

namespace {

int CountOpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_http_host <public_html folder>\n");
    return 2;
  }
  plimod::UseLoopbackEphemeralPortForTesting();
  plimod::SetDocumentRoot(std::filesystem::path(argv[1]).wstring().c_str());
  const int before = CountOpenDescriptors();
  if (!plimod::StartHttpServer()) return 1;
  std::printf("PORT %u\n", static_cast<unsigned>(plimod::BoundHttpPort()));
  std::fflush(stdout);
  char sink[256];
  while (::read(STDIN_FILENO, sink, sizeof sink) > 0) {
  }
  plimod::StopHttpServer();
  std::printf("DESCRIPTORS %d %d\n", before, CountOpenDescriptors());
  return 0;
}
