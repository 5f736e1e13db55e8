// What the program needs of the operating system beyond the standard library: the wildcard
// search of the current directory, the console device, the shape of a path, and the tables of
// the single-byte code pages. One implementation file per platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// A wildcard search of the current directory: every kind of entry whose name matches the mask
// without regard to case, one at a time.
class DirectorySearch {
 public:
  DirectorySearch();
  DirectorySearch(const DirectorySearch&) = delete;
  DirectorySearch& operator=(const DirectorySearch&) = delete;
  ~DirectorySearch();

  // Starts the search; false when nothing matches (or the search failed).
  bool First(const char* mask);
  // Moves to the next entry; false when there is none.
  bool Next();
  // The current entry's name as the directory holds it.
  const char* Name() const;
  // The name to open the current entry under.
  const char* OpenName() const;
  // Ends the search.
  void Close();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Writes to the interactive console; does nothing where the process has none.
void WriteToConsole(const char* text);

// The length of the directory part of a path, up to and including its last separator.
std::size_t DirectoryPartLength(const char* path);

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
// Gives the file `from` the second name `to` (a hard link); where the file system has no such
// links, `to` becomes a copy of it that has reached the disk.
bool LinkOrCopy(const char* from, const char* to);
// Makes sure what was written to the file `path` has reached the disk.
bool SyncFile(const char* path);
// Makes sure the entries of the directory that holds `path` have reached the disk (POSIX; on
// Windows renames are written through and this does nothing).
bool SyncDirectoryOf(const char* path);
// Whether the existing file `path` may not be written: no write permission for anyone, or the
// read-only attribute.
bool IsReadOnly(const char* path);
// Why the last failed call of the C library or of the system failed, in the system's words.
std::string LastSystemError();

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

// The Unicode character that `byte` stands for in the single-byte code page `codePage` (437,
// 850, 852, 866, 1250 to 1258); false when the platform does not know that byte or that code
// page. Platforms differ on bytes a code page leaves undefined: some map them to control or
// private-use characters.
bool CodePageToUnicode(unsigned codePage, unsigned char byte, char32_t& character);
