#include "lang/file_set.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "common/ascii.h"
#include "lang/base_files.h"
#include "lang/lang_error.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kJournalEnding = ".quotex-journal";
constexpr std::string_view kJournalHeader = "quotex-lang journal 1";
constexpr std::string_view kJournalEnd = "end";

constexpr char kAsItWas[] = "; every file is as it was";
constexpr char kPutBackLater[] =
    "; not every file could be put back yet: the next quotex-lang command on these files does it";

// A step of a commit that failed: the file it concerns and what went wrong, with the reason.
struct StepFailure {
  std::string file;
  std::string message;
};

StepFailure Failed(const std::string& file, const std::string& what) {
  return StepFailure{file, what + ": " + LastSystemError()};
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::string ReplacedPath(const std::string& finalName) {
  std::error_code error;
  if (!fs::is_symlink(finalName, error)) return finalName;
  fs::path target = fs::weakly_canonical(finalName, error);
  return error ? finalName : target.string();
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
  return name.size() >= ending.size() &&
         SameIgnoringAsciiCase(name.substr(name.size() - ending.size()), ending);
}

bool HoldsControlCharacter(std::string_view name) {
  return std::any_of(name.begin(), name.end(), IsControlCharacter);
}

}  // namespace

bool IsOwnWorkFile(std::string_view name) {
  return EndsWithIgnoringCase(name, kNewFileEnding) || EndsWithIgnoringCase(name, kOldFileEnding) ||
         EndsWithIgnoringCase(name, kJournalEnding);
}

namespace {

// Puts back what one change of a commit did, from whatever point it reached; doing it again
// changes nothing. False when a step failed.
bool Undo(const FileChange& change) {
  std::string oldName = change.OldName(), newName = change.NewName();
  bool done = true;
  if (Exists(oldName)) {
    done = RenameOver(oldName.c_str(), change.target.c_str());
    // Renaming one name of a file over another name of the same file does nothing.
    if (done && Exists(oldName)) done = RemoveFile(oldName.c_str());
  } else if (!change.remove && !change.existed && !Exists(newName) && Exists(change.target)) {
    done = RemoveFile(change.target.c_str());  // the new file had taken a name of its own
  }
  if (Exists(newName)) done = RemoveFile(newName.c_str()) && done;
  return done;
}

// Syncs each directory that holds a changed file once; the name of the first file whose
// directory could not be synced, or nothing.
const FileChange* SyncDirectories(const std::vector<FileChange>& changes) {
  std::vector<std::string> synced;
  for (const FileChange& change : changes) {
    std::string directory(change.target, 0, DirectoryPartLength(change.target.c_str()));
    if (std::find(synced.begin(), synced.end(), directory) != synced.end()) continue;
    if (!SyncDirectoryOf(change.target.c_str())) return &change;
    synced.push_back(directory);
  }
  return nullptr;
}

bool UndoAll(const std::vector<FileChange>& changes) {
  bool done = true;
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    done = Undo(*change) && done;
  }
  return SyncDirectories(changes) == nullptr && done;
}

// The journal as it is written: a header, one line per change, and a last line that tells a
// complete journal from one whose writing was cut short.
std::string JournalText(const std::vector<FileChange>& changes) {
  std::string text(kJournalHeader);
  text += '\n';
  for (const FileChange& change : changes) {
    text += change.remove ? "remove " : "replace ";
    text += change.existed ? "1 " : "0 ";
    text += change.target;
    text += '\n';
  }
  text += kJournalEnd;
  return text + '\n';
}

// The changes of a complete journal; false for a journal that is not complete.
bool ReadJournal(std::string_view text, std::vector<FileChange>& changes) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;  // cut short
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  if (lines.size() < 2 || lines.front() != kJournalHeader || lines.back() != kJournalEnd) {
    return false;
  }
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    std::string_view line = lines[i];
    FileChange change;
    change.remove = line.starts_with("remove ");
    if (!change.remove && !line.starts_with("replace ")) return false;
    line.remove_prefix(change.remove ? 7 : 8);
    if (line.size() < 3 || (line[0] != '0' && line[0] != '1') || line[1] != ' ') return false;
    change.existed = line[0] == '1';
    change.target = line.substr(2);
    change.finalName = change.target;
    changes.push_back(std::move(change));
  }
  return true;
}

}  // namespace

FileSet::FileSet(std::string journal, std::string what)
    : journal_(std::move(journal)), what_(std::move(what)) {}

FileSet::~FileSet() {
  if (committed_) return;
  for (const FileChange& change : changes_) {
    if (!change.remove && Exists(change.NewName())) RemoveFile(change.NewName().c_str());
  }
}

std::string FileSet::Stage(const std::string& finalName) {
  FileChange change;
  change.finalName = finalName;
  change.target = ReplacedPath(finalName);
  change.existed = Exists(change.target);
  if (HoldsControlCharacter(change.target)) {
    throw LangError(finalName, "a name holding a control character cannot be replaced safely");
  }
  if (change.existed && IsReadOnly(change.target.c_str())) {
    throw LangError(finalName, "the file is read-only; nothing was changed");
  }
  changes_.push_back(change);
  return change.NewName();
}

void FileSet::StageRemoval(const std::string& finalName) {
  FileChange change;
  change.remove = true;
  change.finalName = finalName;
  change.target = ReplacedPath(finalName);
  change.existed = Exists(change.target);
  if (!change.existed) return;
  if (HoldsControlCharacter(change.target)) {
    throw LangError(finalName, "a name holding a control character cannot be removed safely");
  }
  if (IsReadOnly(change.target.c_str())) {
    throw LangError(finalName, "the file is read-only; nothing was changed");
  }
  changes_.push_back(change);
}

void FileSet::Commit() {
  for (const FileChange& change : changes_) {
    if (change.remove) continue;
    if (!SyncFile(change.NewName().c_str())) {
      throw LangError(change.finalName, "cannot write it: " + LastSystemError() + kAsItWas);
    }
    if (change.existed) {
      std::error_code error;
      fs::permissions(change.NewName(), fs::status(change.target, error).permissions(), error);
    }
  }
  if (changes_.size() == 1 && !changes_.front().remove) return CommitOne(changes_.front());
  if (changes_.empty()) return;

  try {
    WriteJournal();
  } catch (const StepFailure& failure) {
    RemoveFile(journal_.c_str());
    throw LangError(failure.file, failure.message + kAsItWas);
  }
  try {
    for (const FileChange& change : changes_) Apply(change);
    if (const FileChange* unsynced = SyncDirectories(changes_)) {
      throw Failed(unsynced->finalName, "cannot write the directory that holds it");
    }
    if (!RemoveFile(journal_.c_str())) {
      throw Failed(what_, "cannot remove the journal '" + journal_ + "'");
    }
  } catch (const StepFailure& failure) {
    bool restored = UndoAll(changes_) && (!Exists(journal_) || RemoveFile(journal_.c_str()));
    throw LangError(failure.file, failure.message + (restored ? kAsItWas : kPutBackLater));
  }
  committed_ = true;
  // The change is made; what follows makes it last and tidies up.
  if (!SyncDirectoryOf(journal_.c_str())) {
    throw LangError(
        what_, "replaced, but its directory may not have reached the disk: " + LastSystemError());
  }
  RemoveOldNames();
}

void FileSet::CommitOne(const FileChange& change) {
  if (!RenameOver(change.NewName().c_str(), change.target.c_str())) {
    throw LangError(change.finalName, "cannot replace it: " + LastSystemError() + kAsItWas);
  }
  committed_ = true;
  if (!SyncDirectoryOf(change.target.c_str())) {
    throw LangError(
        change.finalName,
        "replaced, but its directory may not have reached the disk: " + LastSystemError());
  }
}

void FileSet::WriteJournal() {
  std::string text = JournalText(changes_);
  std::FILE* file = std::fopen(journal_.c_str(), "wb");
  if (file == nullptr) throw Failed(what_, "cannot write the journal '" + journal_ + "'");
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  written = std::fclose(file) == 0 && written;
  if (!written || !SyncFile(journal_.c_str()) || !SyncDirectoryOf(journal_.c_str())) {
    throw Failed(what_, "cannot write the journal '" + journal_ + "'");
  }
}

// The old file keeps a second name until the change is made, so that it can be put back; the
// final name always names a complete file, the old one or the new one.
void FileSet::Apply(const FileChange& change) {
  std::string oldName = change.OldName();
  if (Exists(oldName) && !RemoveFile(oldName.c_str())) {
    throw Failed(change.finalName, "cannot remove '" + oldName + "'");
  }
  if (change.remove) {
    if (!RenameOver(change.target.c_str(), oldName.c_str())) {
      throw Failed(change.finalName, "cannot remove it");
    }
    return;
  }
  if (change.existed && !LinkOrCopy(change.target.c_str(), oldName.c_str())) {
    throw Failed(change.finalName, "cannot keep the old file as '" + oldName + "'");
  }
  if (!RenameOver(change.NewName().c_str(), change.target.c_str())) {
    throw Failed(change.finalName, "cannot replace it");
  }
}

void FileSet::RemoveOldNames() {
  std::optional<LangError> failure;
  for (const FileChange& change : changes_) {
    std::string oldName = change.OldName();
    if (Exists(oldName) && !RemoveFile(oldName.c_str()) && !failure) {
      failure.emplace(change.finalName, "replaced, but its old copy '" + oldName +
                                            "' cannot be removed: " + LastSystemError() +
                                            "; the next quotex-lang command on these files "
                                            "removes it");
    }
  }
  if (failure) throw *failure;
}

std::string RecoverFiles(const std::string& journal, const std::vector<std::string>& finalNames) {
  std::string text;
  // A journal that is there but cannot be read stops the command (ReadFileIfPresent raises):
  // taking it for none would remove the old files it needs to put back.
  bool hasJournal = ReadFileIfPresent(journal, text);
  std::vector<FileChange> changes;
  if (hasJournal && ReadJournal(text, changes)) {
    if (!UndoAll(changes) || !RemoveFile(journal.c_str()) || !SyncDirectoryOf(journal.c_str())) {
      throw LangError(journal,
                      "cannot put back the files of an interrupted command: " + LastSystemError());
    }
    return "a command on these files was interrupted; every file was put back as it was before it";
  }
  // No commit was under way: what is left are new files that never took their place, the second
  // names of old files that a commit no longer needed, or a journal cut short.
  std::vector<std::string> leftovers;
  for (const std::string& name : finalNames) {
    std::string target = ReplacedPath(name);
    for (std::string_view ending : {kNewFileEnding, kOldFileEnding}) {
      std::string leftover = target + std::string(ending);
      if (Exists(leftover)) leftovers.push_back(leftover);
    }
  }
  if (Exists(journal)) leftovers.push_back(journal);
  std::string removed;
  for (const std::string& leftover : leftovers) {
    if (!RemoveFile(leftover.c_str())) {
      throw LangError(
          leftover, "cannot remove this file left by an interrupted command: " + LastSystemError());
    }
    removed += (removed.empty() ? "'" : ", '") + leftover + "'";
  }
  if (removed.empty()) return {};
  return "removed " + removed + ", left by an interrupted command";
}
