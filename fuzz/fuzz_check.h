// Invariant checks for the fuzz targets: a broken invariant names itself on standard error and
// aborts, which libFuzzer reports as a crash and the replay test as a failure.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : FuzzCheckFailed(#condition, __FILE__, __LINE__))

// Marks a model that a target checks the program against: it gives no coverage feedback worth
// having, and tracing its comparisons would slow fuzzing several times over.
#if defined(__clang__)
#define FUZZ_MODEL __attribute__((no_sanitize("coverage")))
#else
#define FUZZ_MODEL
#endif
