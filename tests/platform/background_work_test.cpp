#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <utility>

#include "platform/lang_platform.h"

// The address sanitizer's runtime brings allocation functions of its own, which replacing some
// of them here would mix with: this test runs in the other builds.
#ifndef __SANITIZE_ADDRESS__

namespace {

// The allocations of this program still to succeed before one fails; none fails while negative.
std::atomic<int> allocationsBeforeFailure = -1;

}  // namespace

void* operator new(std::size_t size) {
  if (allocationsBeforeFailure.load() >= 0 && allocationsBeforeFailure.fetch_sub(1) == 0) {
    throw std::bad_alloc();
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace {

// Memory running out at any step of starting the work: the work is done all the same, once, and
// no thread is left behind (a thread started but not held ended the program, or ran on a
// destroyed object).
TEST(BackgroundWorkTest, DoesTheWorkOnceWhenMemoryRunsOutAsItStarts) {
  for (int failing = 0; failing < 4; ++failing) {
    std::atomic<int> done = 0;
    std::function<void()> work = [&done] { ++done; };
    allocationsBeforeFailure = failing;
    {
      BackgroundWork background(std::move(work));
      allocationsBeforeFailure = -1;
      background.Wait();
    }
    EXPECT_EQ(done, 1) << "allocation " << failing << " failing";
  }
}

}  // namespace

#endif  // __SANITIZE_ADDRESS__
