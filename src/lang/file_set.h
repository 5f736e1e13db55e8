// Files that are replaced together. Each is written under a sibling name and renamed over its
// final name only after every one of them has been written and closed, so a failed or
// interrupted command leaves the old files exactly as they were.
#pragma once

#include <string>
#include <vector>

class FileSet {
 public:
  FileSet() = default;
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;
  // Removes the sibling files of a set that was not committed.
  ~FileSet();

  // Registers a file to replace; returns the sibling name to write it under. A final name that
  // is a symbolic link is replaced at the link's target, so the link stays.
  std::string Stage(const std::string& finalName);
  // Registers a file to remove when the set is committed.
  void StageRemoval(const std::string& finalName);
  // Renames every staged file over its final name, in the order staged (an existing file's
  // permissions are kept), then removes the files staged for removal. Raises LangError naming
  // the file that could not be replaced or removed.
  void Commit();

 private:
  struct Staged {
    std::string finalName;  // as given, for messages
    std::string target;     // what is replaced
    std::string sibling;
  };

  std::vector<Staged> staged_;
  std::vector<std::string> removals_;
};
