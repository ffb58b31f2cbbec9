// Every test program runs on Japan time with a UTF-8 locale, as the program
// does, whoever starts it (ctest, a shell, a debugger). Child processes the
// tests start inherit the same settings.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  setenv("TZ", "Asia/Tokyo", 1);
  setenv("LC_ALL", "C.UTF-8", 1);
  tzset();
  std::setlocale(LC_ALL, "C.UTF-8");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
