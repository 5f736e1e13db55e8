// What quotex-lang needs of the operating system beyond what quotex needs: the steps that
// replace a user's files safely, the lock that keeps two commands off the same files, the
// tables of the single-byte code pages and work on a second thread. quotex links none of it. One implementation file per
// platform.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// What tells one existing file from another, whatever name reaches it.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the existing file `path` names; none when there is none.
std::optional<FileIdentity> IdentityOf(const char* path);

// Replacing files safely. Each call returns false when it failed, and LastSystemError() then
// says why.

// Renames `from` over `to` in one step, replacing `to` when it exists.
bool RenameOver(const char* from, const char* to);
// Removes the file `path`.
bool RemoveFile(const char* path);

enum class LinkOutcome { kLinked, kNoLinks, kFailed };
// Gives the file `from` the second name `to`, a hard link; kNoLinks, with nothing done, where
// the file system has no such links or refuses them.
LinkOutcome LinkFile(const char* from, const char* to);
// Copies the file `from` to the new file `to`, with its permissions, and makes sure the copy
// has reached the disk.
bool CopyToNewFile(const char* from, const char* to);
// Makes sure what was written to the file `path` has reached the disk.
bool SyncFile(const char* path);
// Makes sure the entries of the directory that holds `path` have reached the disk (POSIX; on
// Windows renames are written through and this does nothing).
bool SyncDirectoryOf(const char* path);

// Whether the existing file `path` may not be written: no write permission for anyone, or the
// read-only attribute.
bool IsReadOnly(const char* path);
// Whether another program holds the existing file `path` open in a way that keeps it from being
// replaced now (Windows; an open file can always be replaced on POSIX).
bool IsHeldOpen(const char* path);

// Why the last failed call of the C library or of the system failed, in the system's words.
std::string LastSystemError();

// A lock that the system holds for this process on a file of its own, and lets go of when the
// process ends however it ends, so that a killed command never leaves a lock behind.
class FileLock {
 public:
  enum class Outcome {
    kLocked,      // this process holds the lock now
    kHeld,        // another process holds it
    kUnwritable,  // its folder is not there or cannot be written: nothing there can change
    kNotAFile,    // its name holds something else: a symbolic link, a pipe, a directory
    kFailed,      // LastSystemError() says why
  };

  FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  // Lets go of the lock, as Unlock does.
  ~FileLock();

  // Tries once to take the lock of the file `path`, making the file when there is none.
  Outcome TryLock(const char* path);
  // Removes the lock's file and lets go of the lock; false when the file could not be removed
  // (the lock is let go of all the same).
  bool Unlock();

 private:
  struct State;
  std::unique_ptr<State> state_;  // none while no lock is held
};

// Lets `milliseconds` go by.
void WaitMilliseconds(unsigned milliseconds);

// The Unicode character that `byte` stands for in the single-byte code page `codePage` (437,
// 850, 852, 866, 1250 to 1258); false when the platform does not know that byte or that code
// page. Platforms differ on bytes a code page leaves undefined: some map them to control or
// private-use characters. Safe to call from any thread.
bool CodePageToUnicode(unsigned codePage, unsigned char byte, char32_t& character);

// Work done on a second thread while the caller goes on with other work, each on a processor of
// its own. Wait() returns once the work is done and raises what the work raised; the destructor
// waits too, so the work never outlives what it uses. Where no thread can be started, the work
// is done in the constructor.
class BackgroundWork {
 public:
  explicit BackgroundWork(std::function<void()> work);
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;
  ~BackgroundWork();

  void Wait();

 private:
  struct Thread;
  void Run() noexcept;

  std::function<void()> work_;
  std::exception_ptr raised_;
  std::unique_ptr<Thread> thread_;  // none once it is joined, or when none could be started
};

inline void BackgroundWork::Run() noexcept {
  try {
    work_();
  } catch (...) {
    raised_ = std::current_exception();
  }
}
