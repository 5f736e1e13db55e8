#include "platform/lang_platform.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_support.h"

namespace {

// A second lock on the same file is refused while the first is held, within one process too
// (each lock is its own open of the file), and the file goes with the last lock.
TEST(FileLockTest, OneHolderAtATimeAndNoFileLeftBehind) {
  ScopedTempDir dir;
  const std::string path = dir / "DE.quotex-lock";
  FileLock first, second;
  ASSERT_EQ(first.TryLock(path.c_str()), FileLock::Outcome::kLocked);
  EXPECT_EQ(second.TryLock(path.c_str()), FileLock::Outcome::kHeld);
  FileLock other;
  EXPECT_EQ(other.TryLock((dir / "FR.quotex-lock").c_str()), FileLock::Outcome::kLocked);
  EXPECT_TRUE(first.Unlock());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(second.TryLock(path.c_str()), FileLock::Outcome::kLocked);
  EXPECT_EQ(FileLock().TryLock((dir / "missing/DE.quotex-lock").c_str()),
            FileLock::Outcome::kUnwritable);
}

}  // namespace
