// Files that are replaced together, so that neither a failure nor a kill at any instant leaves
// some of them new and others old, and no translation is ever in none of them.
//
// Each new file is written beside its final name, under that name and ".quotex-new". Commit
// makes every new file reach the disk; a single file then simply takes the old one's place in
// one rename. For several files it first puts a journal in place that names every change, then
// gives each old file a second name (".quotex-old": a hard link, or where there are none a copy
// that is complete before it takes that name), so that the final name never goes missing; once
// those have reached the disk it renames each new file over its old one. Renaming the journal
// to ".quotex-done" is the moment the change is made: a failure before it puts every old file
// back, and a kill before it leaves the journal, from which the next command on the same files
// puts them back (RecoverFiles). The second names and the record go last; what a kill leaves of
// them the next command removes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/lang_platform.h"

// The endings of the files of quotex-lang's own making beside a base's files.
inline constexpr std::string_view kNewFileEnding = ".quotex-new";
inline constexpr std::string_view kOldFileEnding = ".quotex-old";
inline constexpr std::string_view kLockEnding = ".quotex-lock";

// Whether the directory entry `name` is a file of quotex-lang's own making (a new file, an old
// file's second name, a journal or a lock): never a source, whatever the mask. Letters match in
// either case.
bool IsOwnWorkFile(std::string_view name);

// One change of a commit: a file replaced by the new one written beside it, or removed.
struct FileChange {
  bool remove = false;
  std::string finalName;                    // as given, for messages
  std::string target;                       // what is replaced or removed
  std::optional<std::uintmax_t> oldSize;    // of the file replaced or removed; none if none
  std::optional<FileIdentity> newIdentity;  // of the new file, once it is complete
};

// What could not be tidied once the change was made: a file and what became of it.
struct Leftover {
  std::string file;
  std::string message;
};

class FileSet {
 public:
  // `journal`: the file that records a commit of several files, in the folder that holds them
  // (NAME.quotex-journal); `what`: the file a message names when a step concerns the set as a
  // whole (the file of record, such as the CRT file).
  FileSet(std::string journal, std::string what);
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;
  // Removes the new files of a set that was not committed.
  ~FileSet();

  // Registers a file to replace; returns the name to write its new contents under. A final name
  // that is a symbolic link is replaced at the link's target, so the link stays. Raises
  // LangError, before anything is written, for a file that cannot be replaced safely: read-only,
  // held open by another program, not a regular file, a link to nothing.
  std::string Stage(const std::string& finalName);
  // Registers a file to remove, with the same checks; nothing happens when there is no such
  // file.
  void StageRemoval(const std::string& finalName);
  // Replaces and removes the files, in the order registered (an existing file's permissions are
  // kept). Raises LangError naming the file of the step that failed and the system's reason; the
  // message says whether every file is as it was. Once the change is made nothing is raised:
  // what could not be tidied after it is returned, for the user to be told.
  [[nodiscard]] std::vector<Leftover> Commit();

 private:
  FileChange Checked(const std::string& finalName, bool remove) const;
  std::vector<Leftover> CommitOne(const FileChange& change);
  void WriteJournal();
  void KeepOldFile(const FileChange& change);
  void Switch(const FileChange& change);
  std::vector<Leftover> Tidy();

  std::string journal_;
  std::string what_;
  std::vector<FileChange> changes_;
  bool committed_ = false;
};

// Brings the files `names` (all the files in the journal's folder that a command may replace
// together) to a state that a command left complete: puts back the old files of a commit that a
// kill interrupted, as its journal records them, finishes the tidying of one that was made, and
// removes files of quotex-lang's own making left beside them. Returns what it did, in a sentence
// for the user, or nothing. Raises LangError, with nothing changed, for a record it cannot take
// at its word (one that is cut short, of another version, or names a file that is not one of
// `names`) and for a second name of a file that nothing shows it may remove; and when a step
// fails.
std::string RecoverFiles(const std::string& journal, const std::vector<std::string>& names);
