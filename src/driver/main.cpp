#include <cstdio>
#include <exception>
#include <new>

#include "driver/run.h"

int main(int argc, char** argv) {
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
