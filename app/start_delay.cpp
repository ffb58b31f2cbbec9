#include "app/start_delay.h"

#include <cstdlib>

namespace plimod {

int StartDelaySeconds(int argc, const char* const* argv) {
  if (argc < 2 || argv[1] == nullptr) return 0;
  int seconds = std::atoi(argv[1]);
  return seconds > 0 ? seconds : 0;
}

}  // namespace plimod
