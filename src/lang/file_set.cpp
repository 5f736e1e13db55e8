#include "lang/file_set.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/ascii.h"
#include "lang/base_files.h"
#include "lang/lang_error.h"
#include "platform/lang_platform.h"
#include "platform/platform.h"
#include "translation/diagnostic.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kJournalEnding = ".quotex-journal";
constexpr std::string_view kDoneEnding = ".quotex-done";
constexpr std::string_view kJournalHeader = "quotex-lang journal 2";
constexpr std::string_view kJournalEnd = "end";

constexpr char kAsItWas[] = "; every file is as it was";
constexpr char kPutBackLater[] =
    "; not every file could be put back yet: the next quotex-lang command on these files does it";
constexpr char kNextRemovesIt[] = "; the next quotex-lang command on these files removes it";
constexpr char kInterrupted[] =
    "it records a change of these files that was interrupted: compare each file it names with "
    "its '.quotex-old' copy, keep the right one, then remove it";
constexpr char kMade[] =
    "it records a change of these files that was made: remove the '.quotex-old' copies of the "
    "files it names, then remove it";

// A step of a commit that failed: the file it concerns and what went wrong, with the reason.
struct StepFailure {
  std::string file;
  std::string message;
};

// The failure of the call just made.
StepFailure Failed(const std::string& file, const std::string& what) {
  return StepFailure{file, what + ": " + LastSystemError()};
}

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

std::optional<std::uintmax_t> SizeOf(const std::string& path) {
  std::error_code error;
  std::uintmax_t size = fs::file_size(path, error);
  if (error) return std::nullopt;
  return size;
}

// A file name as messages give it.
std::string Named(const std::string& name) {
  return "'" + name + "'";
}

std::string NewName(const std::string& path) {
  return path + std::string(kNewFileEnding);
}

std::string OldName(const std::string& path) {
  return path + std::string(kOldFileEnding);
}

std::string FilePart(const std::string& path) {
  return path.substr(DirectoryPartLength(path.c_str()));
}

std::string DirectoryPart(const std::string& path) {
  return path.substr(0, DirectoryPartLength(path.c_str()));
}

// The record of a change that was made: the journal, renamed.
std::string DoneName(const std::string& journal) {
  std::string name = journal;
  if (EndsWithIgnoringAsciiCase(name, kJournalEnding)) {
    name.resize(name.size() - kJournalEnding.size());
  }
  return name + std::string(kDoneEnding);
}

// What replacing `finalName` replaces: the name itself, or the file a symbolic link there leads
// to; the link itself when it leads nowhere.
std::string ReplacedPath(const std::string& finalName) {
  std::error_code error;
  if (!fs::is_symlink(finalName, error)) return finalName;
  fs::path target = fs::canonical(finalName, error);
  return error ? finalName : target.string();
}

bool HoldsControlCharacter(std::string_view name) {
  return std::any_of(name.begin(), name.end(), IsControlCharacter);
}

}  // namespace

bool IsOwnWorkFile(std::string_view name) {
  for (std::string_view ending :
       {kNewFileEnding, kOldFileEnding, kJournalEnding, kDoneEnding, kLockEnding}) {
    if (EndsWithIgnoringAsciiCase(name, ending)) return true;
  }
  return false;
}

namespace {

std::string NotWhole(const std::string& oldName, const FileChange& change) {
  return Named(oldName) + " is not the whole file that " + Named(change.finalName) + " was";
}

// Why one change cannot be put back as its journal records it, or nothing: a second name that
// does not hold the whole old file, or a file in a made file's place that is not the one made.
std::string PutBackProblem(const FileChange& change) {
  const std::string oldName = OldName(change.target);
  if (Exists(oldName)) {
    if (change.oldSize && SizeOf(oldName) == change.oldSize) return {};
    return NotWhole(oldName, change);
  }
  bool made = !change.remove && !change.oldSize;
  if (made && !Exists(NewName(change.target)) && Exists(change.target) &&
      IdentityOf(change.target.c_str()) != change.newIdentity) {
    return Named(change.finalName) + " is not the file the interrupted command made";
  }
  return {};
}

// Puts back what one change of a commit did, from whatever point it reached; doing it again
// changes nothing. Raises StepFailure.
void PutBack(const FileChange& change) {
  const std::string oldName = OldName(change.target), newName = NewName(change.target);
  if (Exists(oldName)) {
    if (!RenameOver(oldName.c_str(), change.target.c_str())) {
      throw Failed(change.finalName, "cannot put back " + Named(oldName));
    }
    // Renaming one name of a file over another name of the same file does nothing.
    if (Exists(oldName) && !RemoveFile(oldName.c_str())) {
      throw Failed(change.finalName, "cannot remove " + Named(oldName));
    }
  } else if (!change.remove && !change.oldSize && !Exists(newName) && Exists(change.target)) {
    // The new file had taken a name of its own.
    if (!RemoveFile(change.target.c_str())) throw Failed(change.finalName, "cannot remove it");
  }
  for (const std::string& unfinished : {newName, NewName(oldName)}) {
    if (Exists(unfinished) && !RemoveFile(unfinished.c_str())) {
      throw Failed(unfinished, "cannot remove it");
    }
  }
}

// Syncs each directory that holds a changed file once. Raises StepFailure.
void SyncDirectories(const std::vector<FileChange>& changes) {
  std::vector<std::string> synced;
  for (const FileChange& change : changes) {
    std::string directory = DirectoryPart(change.target);
    if (std::find(synced.begin(), synced.end(), directory) != synced.end()) continue;
    if (!SyncDirectoryOf(change.target.c_str())) {
      throw Failed(change.finalName, "cannot write the directory that holds it");
    }
    synced.push_back(directory);
  }
}

// Puts back every change, the last first, going on past a step that fails; raises the first
// failure after that.
void PutBackAll(const std::vector<FileChange>& changes) {
  std::optional<StepFailure> failure;
  for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
    try {
      PutBack(*change);
    } catch (const StepFailure& each) {
      if (!failure) failure = each;
    }
  }
  if (failure) throw *failure;
  SyncDirectories(changes);
}

// The journal as it is written: a header, one line per change, and a last line. A line holds
// what the change does, the size of the file it replaces or removes and the identity of the new
// file ("-" for none), and the file's name in the journal's folder.
std::string JournalText(const std::vector<FileChange>& changes) {
  std::string text(kJournalHeader);
  text += '\n';
  for (const FileChange& change : changes) {
    text += change.remove ? "remove " : "replace ";
    text += change.oldSize ? std::to_string(*change.oldSize) : "-";
    text += ' ';
    text += change.newIdentity ? std::to_string(change.newIdentity->volume) + ":" +
                                     std::to_string(change.newIdentity->index)
                               : "-";
    text += ' ';
    text += FilePart(change.finalName);
    text += '\n';
  }
  text += kJournalEnd;
  return text + '\n';
}

// A record that cannot be taken at its word: nothing is done, and the user is told what to do.
LangError Unusable(const std::string& record, const std::string& why, const char* advice) {
  return LangError(
      record, "cannot act on it: " + why + "; nothing was changed (" + std::string(advice) + ")");
}

// Takes the next field of a journal line, up to a blank.
std::string_view TakeField(std::string_view& line) {
  std::size_t blank = std::min(line.find(' '), line.size());
  std::string_view field = line.substr(0, blank);
  line.remove_prefix(std::min(blank + 1, line.size()));
  return field;
}

template <typename Number>
bool ReadNumber(std::string_view digits, Number& number) {
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  return error == std::errc() && end == digits.data() + digits.size() && !digits.empty();
}

// One change of a journal line; false for a line that cannot be read.
bool ReadChange(std::string_view line, FileChange& change) {
  std::string_view kind = TakeField(line), size = TakeField(line), identity = TakeField(line);
  if (kind != "replace" && kind != "remove") return false;
  change.remove = kind == "remove";
  if (size != "-") {
    std::uintmax_t value = 0;
    if (!ReadNumber(size, value)) return false;
    change.oldSize = value;
  }
  if (identity != "-") {
    std::size_t colon = identity.find(':');
    FileIdentity& read = change.newIdentity.emplace();
    if (colon == std::string_view::npos || !ReadNumber(identity.substr(0, colon), read.volume) ||
        !ReadNumber(identity.substr(colon + 1), read.index)) {
      return false;
    }
  }
  change.finalName = std::string(line);
  return !line.empty();
}

// The changes a journal or the record of a finished change names, each one of the files
// `ownNames`, which stand in the record's folder. Raises LangError for a record that cannot be
// read whole, is of another version, or names any other file.
std::vector<FileChange> ReadRecord(const std::string& record, std::string_view text,
                                   const std::vector<std::string>& ownNames, const char* advice) {
  if (text.find('\r') != std::string_view::npos) {
    throw Unusable(record, "its lines end in CR LF: an editor or a checkout changed it", advice);
  }
  std::vector<std::string_view> lines;
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos;) {
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  if (lines.empty() || lines.front() != kJournalHeader) {
    std::string_view first = lines.empty() ? text : lines.front();
    throw Unusable(record,
                   first.starts_with("quotex-lang journal ")
                       ? "it is of another version of quotex-lang (" + Quoted(first) + ")"
                       : "it is not a journal of quotex-lang",
                   advice);
  }
  if (!text.empty() || lines.size() < 2 || lines.back() != kJournalEnd) {
    throw Unusable(record, "it was cut short or changed: its last line is not 'end'", advice);
  }
  std::vector<FileChange> changes;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    std::string where = "line " + std::to_string(i + 1);
    FileChange change;
    if (!ReadChange(lines[i], change)) {
      throw Unusable(record, where + " cannot be read: " + Quoted(lines[i]), advice);
    }
    bool own = std::any_of(ownNames.begin(), ownNames.end(), [&](const std::string& name) {
      return FilePart(name) == change.finalName;
    });
    if (!own || HoldsControlCharacter(change.finalName)) {
      throw Unusable(record,
                     where + " names " + Quoted(change.finalName) +
                         ", which is not one of the files it may change",
                     advice);
    }
    change.finalName = DirectoryPart(record) + change.finalName;
    change.target = ReplacedPath(change.finalName);
    changes.push_back(std::move(change));
  }
  return changes;
}

}  // namespace

FileSet::FileSet(std::string journal, std::string what)
    : journal_(std::move(journal)), what_(std::move(what)) {}

FileSet::~FileSet() {
  if (committed_) return;
  for (const FileChange& change : changes_) {
    std::string newName = NewName(change.target);
    if (!change.remove && Exists(newName)) RemoveFile(newName.c_str());
  }
}

// The checks that come before anything is written.
FileChange FileSet::Checked(const std::string& finalName, bool remove) const {
  FileChange change;
  change.remove = remove;
  change.finalName = finalName;
  change.target = ReplacedPath(finalName);
  if (HoldsControlCharacter(change.target)) {
    throw LangError(finalName, std::string("a name holding a control character cannot be ") +
                                   (remove ? "removed" : "replaced") + " safely");
  }
  std::error_code error;
  fs::file_status status = fs::symlink_status(change.target, error);
  if (!fs::exists(status)) return change;
  auto refuse = [&finalName](const std::string& why) {
    throw LangError(finalName, why + "; nothing was changed");
  };
  if (fs::is_symlink(status)) refuse("a symbolic link to a file that is not there");
  if (!fs::is_regular_file(status)) refuse("not a regular file");
  if (IsReadOnly(change.target.c_str())) refuse("the file is read-only");
  if (IsHeldOpen(change.target.c_str())) {
    refuse("another program holds the file open (close it, then run the command again)");
  }
  change.oldSize = SizeOf(change.target);
  if (!change.oldSize) refuse("cannot read it");
  return change;
}

std::string FileSet::Stage(const std::string& finalName) {
  changes_.push_back(Checked(finalName, false));
  return NewName(changes_.back().target);
}

void FileSet::StageRemoval(const std::string& finalName) {
  FileChange change = Checked(finalName, true);
  if (change.oldSize) changes_.push_back(std::move(change));
}

std::vector<Leftover> FileSet::Commit() {
  for (FileChange& change : changes_) {
    if (change.remove) continue;
    const std::string newName = NewName(change.target);
    if (!SyncFile(newName.c_str())) {
      throw LangError(change.finalName, "cannot write it: " + LastSystemError() + kAsItWas);
    }
    if (change.oldSize) {
      std::error_code error;
      fs::permissions(newName, fs::status(change.target, error).permissions(), error);
    }
    change.newIdentity = IdentityOf(newName.c_str());
  }
  if (changes_.empty()) return {};
  if (changes_.size() == 1 && !changes_.front().remove) return CommitOne(changes_.front());

  try {
    WriteJournal();
    for (const FileChange& change : changes_) KeepOldFile(change);
    SyncDirectories(changes_);
    for (const FileChange& change : changes_) Switch(change);
    SyncDirectories(changes_);
    if (!RenameOver(journal_.c_str(), DoneName(journal_).c_str())) {
      throw Failed(what_, "cannot record in " + Named(DoneName(journal_)) + " that it is done");
    }
  } catch (const StepFailure& failure) {
    bool restored = true;
    try {
      PutBackAll(changes_);
      for (const std::string& journal : {NewName(journal_), journal_}) {
        if (Exists(journal) && !RemoveFile(journal.c_str())) restored = false;
      }
    } catch (const StepFailure&) {
      restored = false;
    }
    throw LangError(failure.file, failure.message + (restored ? kAsItWas : kPutBackLater));
  }
  committed_ = true;
  return Tidy();
}

std::vector<Leftover> FileSet::CommitOne(const FileChange& change) {
  if (!RenameOver(NewName(change.target).c_str(), change.target.c_str())) {
    throw LangError(change.finalName, "cannot replace it: " + LastSystemError() + kAsItWas);
  }
  committed_ = true;
  if (SyncDirectoryOf(change.target.c_str())) return {};
  return {{change.finalName,
           "replaced, but its folder may not have reached the disk: " + LastSystemError()}};
}

// The journal takes its name complete: a journal in place is never one cut short by a kill.
void FileSet::WriteJournal() {
  for (const FileChange& change : changes_) {
    if (DirectoryPart(change.finalName) != DirectoryPart(journal_)) {
      throw LangError(change.finalName, "is not in the folder of " + Named(journal_) +
                                            ", so it cannot be replaced with the other files");
    }
  }
  const std::string text = JournalText(changes_), staged = NewName(journal_);
  const std::string what = "cannot write the journal " + Named(journal_);
  std::FILE* file = std::fopen(staged.c_str(), "wb");
  if (file == nullptr) throw Failed(what_, what);
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  written = std::fclose(file) == 0 && written;
  if (!written || !SyncFile(staged.c_str()) || !RenameOver(staged.c_str(), journal_.c_str()) ||
      !SyncDirectoryOf(journal_.c_str())) {
    throw Failed(what_, what);
  }
}

// The old file keeps a second name until the change is made, so that it can be put back.
void FileSet::KeepOldFile(const FileChange& change) {
  if (change.remove || !change.oldSize) return;
  const std::string oldName = OldName(change.target), copy = NewName(oldName);
  switch (LinkFile(change.target.c_str(), oldName.c_str())) {
    case LinkOutcome::kLinked:
      return;
    case LinkOutcome::kNoLinks:
      if (CopyToNewFile(change.target.c_str(), copy.c_str()) &&
          RenameOver(copy.c_str(), oldName.c_str())) {
        return;
      }
      break;
    case LinkOutcome::kFailed:
      break;
  }
  throw Failed(change.finalName, "cannot keep the old file as " + Named(oldName));
}

// The final name always names a complete file, the old one or the new one.
void FileSet::Switch(const FileChange& change) {
  if (change.remove) {
    if (!RenameOver(change.target.c_str(), OldName(change.target).c_str())) {
      throw Failed(change.finalName, "cannot remove it");
    }
  } else if (!RenameOver(NewName(change.target).c_str(), change.target.c_str())) {
    throw Failed(change.finalName, "cannot replace it");
  }
}

std::vector<Leftover> FileSet::Tidy() {
  std::vector<Leftover> leftovers;
  if (!SyncDirectoryOf(journal_.c_str())) {
    leftovers.push_back(
        {what_, "replaced, but its folder may not have reached the disk: " + LastSystemError()});
  }
  bool tidied = true;
  for (const FileChange& change : changes_) {
    std::string oldName = OldName(change.target);
    if (Exists(oldName) && !RemoveFile(oldName.c_str())) {
      tidied = false;
      leftovers.push_back({change.finalName, std::string(change.remove ? "removed" : "replaced") +
                                                 ", but its old copy " + Named(oldName) +
                                                 " cannot be removed: " + LastSystemError() +
                                                 kNextRemovesIt});
    }
  }
  const std::string done = DoneName(journal_);
  if (tidied && !RemoveFile(done.c_str())) {
    leftovers.push_back({done, "the change is made, but its record cannot be removed: " +
                                   LastSystemError() + kNextRemovesIt});
  }
  return leftovers;
}

namespace {

// What is left beside the files `names` once no commit is under way: new files that never took
// their place and copies cut short, and the second names of files that are the files in place.
// Raises LangError for a second name of another file: nothing shows that it is not needed.
void FindLeftovers(const std::vector<std::string>& names, std::vector<std::string>& leftovers) {
  auto found = [&leftovers](const std::string& name) {
    return std::find(leftovers.begin(), leftovers.end(), name) != leftovers.end();
  };
  for (const std::string& name : names) {
    const std::string target = ReplacedPath(name), oldName = OldName(target);
    for (const std::string& unfinished : {NewName(target), NewName(oldName)}) {
      if (Exists(unfinished) && !found(unfinished)) leftovers.push_back(unfinished);
    }
    if (!Exists(oldName) || found(oldName)) continue;
    std::optional<FileIdentity> inPlace = IdentityOf(target.c_str());
    if (!inPlace || IdentityOf(oldName.c_str()) != inPlace) {
      throw LangError(oldName, "an old copy of " + Named(name) +
                                   " that an interrupted command kept, and no journal says "
                                   "whether it is still needed; nothing was changed (keep the "
                                   "right one of the two as " +
                                   Named(name) + " and remove the other)");
    }
    leftovers.push_back(oldName);
  }
}

}  // namespace

std::string RecoverFiles(const std::string& journal, const std::vector<std::string>& names) {
  const std::string done = DoneName(journal);
  std::string text;
  // A record that is there but cannot be read stops the command (ReadFileIfPresent raises).
  if (ReadFileIfPresent(journal, text)) {
    if (Exists(done)) throw Unusable(journal, Named(done) + " is there too", kInterrupted);
    std::vector<FileChange> changes = ReadRecord(journal, text, names, kInterrupted);
    for (const FileChange& change : changes) {
      if (std::string problem = PutBackProblem(change); !problem.empty()) {
        throw Unusable(journal, problem, kInterrupted);
      }
    }
    try {
      PutBackAll(changes);
      if (!RemoveFile(journal.c_str())) throw Failed(journal, "cannot remove it");
      if (!SyncDirectoryOf(journal.c_str())) {
        throw Failed(journal, "cannot write the directory that holds it");
      }
    } catch (const StepFailure& failure) {
      throw LangError(failure.file,
                      "cannot put back the files of an interrupted command: " + failure.message);
    }
    return "a command on these files was interrupted; every file was put back as it was before it";
  }
  // The second names of the files of a change that was made are left over; so is any file of
  // quotex-lang's own making that never took its place.
  std::vector<std::string> leftovers;
  bool hasDone = ReadFileIfPresent(done, text);
  if (hasDone) {
    for (const FileChange& change : ReadRecord(done, text, names, kMade)) {
      const std::string oldName = OldName(change.target);
      if (!Exists(oldName)) continue;
      if (!change.oldSize || SizeOf(oldName) != change.oldSize) {
        throw Unusable(done, NotWhole(oldName, change), kMade);
      }
      leftovers.push_back(oldName);
    }
  }
  FindLeftovers(names, leftovers);
  if (Exists(NewName(journal))) leftovers.push_back(NewName(journal));
  if (hasDone) leftovers.push_back(done);  // last: it shows the rest may go
  std::string removed;
  for (const std::string& leftover : leftovers) {
    if (!RemoveFile(leftover.c_str())) {
      throw LangError(
          leftover, "cannot remove this file left by an interrupted command: " + LastSystemError());
    }
    removed += (removed.empty() ? "" : ", ") + Named(leftover);
  }
  if (removed.empty()) return {};
  return "removed " + removed + ", left by an interrupted command";
}
