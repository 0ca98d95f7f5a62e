// Checks for test programs that run without a test framework: the harnesses
// that drive a real program under Wine, and end-to-end checks. A check that
// fails prints where it was made and what was found, and is counted; the
// program returns checkResult() as its exit status.
//
//   ok(box.text == kQuestion, "the question reads \"%s\"", box.text.c_str());
//   ...
//   return testing_support::checkResult();
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace testing_support {

inline int& failedChecks() {
  static int count = 0;
  return count;
}

// "file.cpp:42: Test failed: message" on stdout when condition is false;
// returns condition.
#if defined(__GNUC__)
__attribute__((format(printf, 4, 5)))
#endif
inline bool ok_(const char* file, int line, bool condition, const char* format, ...) {
  if (condition) return true;
  ++failedChecks();
  const char* name = std::strrchr(file, '/');
  const char* windowsName = std::strrchr(name ? name : file, '\\');
  std::printf("%s:%d: Test failed: ", windowsName ? windowsName + 1 : name ? name + 1 : file, line);
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::printf("\n");
  std::fflush(stdout);
  return false;
}

// Prints how many checks failed; 0 when none did, 1 otherwise.
inline int checkResult() {
  std::printf("%d failure(s)\n", failedChecks());
  return failedChecks() ? 1 : 0;
}

}  // namespace testing_support

// A check that names the caller's line.
#define ok(condition, ...) ::testing_support::ok_(__FILE__, __LINE__, (condition), __VA_ARGS__)
