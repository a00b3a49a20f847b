// Entry of the in-process Wine tests. The process ends with TerminateProcess once the results
// are written: under load, Wine's ordinary process teardown (library detach with windows and a
// rich-edit library still loaded) now and then hangs after every test has passed.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
