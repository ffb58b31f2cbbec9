#pragma once
// A test's wait for the state it checks: `ready` is polled until it holds
// or a bound a busy machine meets runs out.

#include <chrono>
#include <thread>

namespace plimod::test {

template <typename Ready>
bool Eventually(Ready ready, std::chrono::milliseconds bound = std::chrono::seconds(30)) {
  const auto until = std::chrono::steady_clock::now() + bound;
  while (!ready()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace plimod::test
