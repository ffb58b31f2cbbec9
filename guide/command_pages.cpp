#include "guide/command_pages.h"

#include <map>
#include <mutex>

namespace plimod {

namespace {

std::mutex registryMutex;
std::map<std::string, CommandPage, std::less<>> commandPages;
ProgramDetailPage programDetailPage;
DispatcherJobs dispatcherJobs;

}  // namespace

void SetCommandPage(std::string_view cmd, CommandPage page) {
  std::lock_guard lock(registryMutex);
  if (page) {
    commandPages[std::string(cmd)] = std::move(page);
  } else if (auto it = commandPages.find(cmd); it != commandPages.end()) {
    commandPages.erase(it);
  }
}

void SetProgramDetailPage(ProgramDetailPage page) {
  std::lock_guard lock(registryMutex);
  programDetailPage = std::move(page);
}

void SetDispatcherJobs(DispatcherJobs jobs) {
  std::lock_guard lock(registryMutex);
  dispatcherJobs = std::move(jobs);
}

CommandPage FindCommandPage(std::string_view cmd) {
  std::lock_guard lock(registryMutex);
  auto it = commandPages.find(cmd);
  return it == commandPages.end() ? CommandPage() : it->second;
}

ProgramDetailPage CurrentProgramDetailPage() {
  std::lock_guard lock(registryMutex);
  return programDetailPage;
}

DispatcherJobs CurrentDispatcherJobs() {
  std::lock_guard lock(registryMutex);
  return dispatcherJobs;
}

void ClearCommandPages() {
  std::lock_guard lock(registryMutex);
  commandPages.clear();
  programDetailPage = nullptr;
  dispatcherJobs = DispatcherJobs();
}

}  // namespace plimod
