// The end-to-end driver's entry. Inside the Wine virtual desktop the console and the exit code do
// not reach the caller, so both go to files that scripts/wine-desktop-run.sh names.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (const wchar_t* log = _wgetenv(L"VAM_E2E_LOG"); log != nullptr && *log != L'\0') {
    if (_wfreopen(log, L"a", stdout) != nullptr) setvbuf(stdout, nullptr, _IONBF, 0);
    if (_wfreopen(log, L"a", stderr) != nullptr) setvbuf(stderr, nullptr, _IONBF, 0);
  }
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  std::fflush(stderr);
  if (const wchar_t* exitFile = _wgetenv(L"VAM_E2E_EXIT"); exitFile != nullptr && *exitFile != L'\0') {
    const std::unique_ptr<FILE, int (*)(FILE*)> f(_wfopen(exitFile, L"w"), &std::fclose);
    if (f) std::fprintf(f.get(), "%d", result);
  }
  return result;
}
