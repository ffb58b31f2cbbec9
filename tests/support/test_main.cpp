// Every test program runs on Japan time with a UTF-8 locale, as the program
// does, whoever starts it (ctest, a shell, a debugger). Child processes the
// tests start inherit the same settings.
//
// ctest runs each test in a process of its own, a person runs a whole test
// program: what the program keeps process-wide is put back after every
// test, so that no test sees what the one before it left.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

#include "platform/program_stop.h"
#include "platform/system_time.h"
#include "settings/settings.h"
#include "util/log.h"

namespace {

class ProcessStateReset : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override {
    plimod::ResetLogForTesting();
    plimod::Settings().Clear();
    plimod::ClearProgramStop();
    plimod::SetClockForTesting(nullptr);
    plimod::SetSleeperForTesting(nullptr);
  }
};

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Asia/Tokyo", 1);
  setenv("LC_ALL", "C.UTF-8", 1);
  tzset();
  std::setlocale(LC_ALL, "C.UTF-8");
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new ProcessStateReset);
  return RUN_ALL_TESTS();
}
