// What the program needs of the operating system beyond the standard library: the wildcard
// search of the current directory, the console device and the shape of a path. One
// implementation file per platform (what only quotex-lang needs is in lang_platform.h).
#pragma once

#include <cstddef>
#include <memory>

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
