#include <cstdio>
#include <exception>
#include <new>

#include "driver/run.h"

namespace {

// The run, with whatever it did not foresee reported as one line and status 1.
int RunReportingTheUnforeseen(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("Out of memory\n", stdout);
  } catch (const std::exception& error) {
    std::printf("Unexpected error: %s\n", error.what());
  } catch (...) {
    std::fputs("Unexpected error\n", stdout);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  int status = RunReportingTheUnforeseen(argc, argv);
  // A run whose messages could not all be written (standard output on a full disk, say) has
  // not done its job, whatever else went well.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) status = 1;
  return status;
}
