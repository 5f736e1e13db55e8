// Files that are replaced together, so that neither a failure nor a kill at any instant leaves
// some of them new and others old, and no translation is ever in none of them.
//
// Each new file is written beside its final name, under that name and ".quotex-new". Commit
// makes every new file reach the disk; a single file then simply takes the old one's place in one
// rename. For several files it first writes a journal that names every change and reaches the
// disk, then, file by file, gives the old file a second name (".quotex-old", a hard link, so the
// final name never goes missing) and renames the new file over it, syncs the directory and
// removes the journal: that removal is the moment the change is made. A failure before it puts
// every old file back; a kill before it leaves the journal, from which the next command on the
// same files puts them back (RecoverFiles). The second names are removed last.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The endings of the files of quotex-lang's own making.
inline constexpr std::string_view kNewFileEnding = ".quotex-new";
inline constexpr std::string_view kOldFileEnding = ".quotex-old";

// Whether the directory entry `name` is a file of quotex-lang's own making beside a file it
// replaces (a new file, an old file's second name or a journal): never a source, whatever the
// mask. Letters match in either case.
bool IsOwnWorkFile(std::string_view name);

// One change of a commit: a file replaced by the new one written beside it, or removed.
struct FileChange {
  bool remove = false;
  bool existed = false;   // whether the final name named a file before the commit
  std::string finalName;  // as given, for messages
  std::string target;     // what is replaced or removed
  std::string NewName() const { return target + std::string(kNewFileEnding); }
  std::string OldName() const { return target + std::string(kOldFileEnding); }
};

class FileSet {
 public:
  // `journal`: the file that records a commit of several files; `what`: the file a message names
  // when a step concerns the set as a whole (the file of record, such as the CRT file).
  FileSet(std::string journal, std::string what);
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;
  // Removes the new files of a set that was not committed.
  ~FileSet();

  // Registers a file to replace; returns the name to write its new contents under. A final name
  // that is a symbolic link is replaced at the link's target, so the link stays. Raises LangError
  // for a read-only file, before anything is written.
  std::string Stage(const std::string& finalName);
  // Registers a file to remove; nothing happens when there is no such file.
  void StageRemoval(const std::string& finalName);
  // Replaces and removes the files, in the order registered (an existing file's permissions are
  // kept). Raises LangError naming the file of the step that failed and the system's reason;
  // the message says whether every file is as it was.
  void Commit();

 private:
  void CommitOne(const FileChange& change);
  void WriteJournal();
  void Apply(const FileChange& change);
  void RemoveOldNames();

  std::string journal_;
  std::string what_;
  std::vector<FileChange> changes_;
  bool committed_ = false;
};

// Brings the files `finalNames` (all the files a command on them may replace) to a state that a
// command left complete: puts back the old files of a commit that a kill interrupted, as its
// journal records them, and removes files of quotex-lang's own making left beside them. Returns
// what it did, in a sentence for the user, or nothing. Raises LangError when a step fails.
std::string RecoverFiles(const std::string& journal, const std::vector<std::string>& finalNames);
