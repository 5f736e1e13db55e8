#include "lang/base_files.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "common/ascii.h"
#include "common/failure.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "output/outputs.h"
#include "platform/lang_platform.h"
#include "platform/platform.h"
#include "translation/check.h"

std::string ProjectName(std::string_view base) {
  std::string name(base);
  name.erase(0, DirectoryPartLength(name.c_str()));
  UpperCaseAscii(name.data());
  return name;
}

std::string LanguageOfBase(std::string_view base) {
  std::string name(base.substr(DirectoryPartLength(std::string(base).c_str())));
  std::size_t underscore = std::min(name.find('_'), name.size());
  bool code = underscore == name.size()
                  ? name.size() == 2
                  : (underscore == 2 || underscore == 3) && name.size() == underscore + 3;
  for (std::size_t i = 0; i < name.size() && code; ++i) {
    if (i == underscore) continue;
    code = IsAsciiLetter(name[i]);
    // The language in lower case, the region in upper case.
    char upper = UpperAscii(name[i]);
    name[i] = i > underscore ? upper : static_cast<char>(upper - 'A' + 'a');
  }
  return code ? name : std::string();
}

namespace {

[[noreturn]] void FailToRead(const std::string& name, int error) {
  throw LangError(name, std::string("cannot read: ") + std::strerror(error));
}

}  // namespace

std::FILE* OpenToRead(const std::string& name) {
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::status(name, error);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    throw LangError(name, "cannot read: not a regular file");
  }
  errno = 0;
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr && errno != ENOENT) FailToRead(name, errno);
  return file;
}

bool ReadFileIfPresent(const std::string& name, std::string& bytes) {
  std::FILE* file = OpenToRead(name);
  if (file == nullptr) return false;
  bytes.clear();
  // Room for the whole file at once: grown block by block, a file of megabytes is copied over
  // and over. One byte more, for the read that finds the end.
  std::error_code sizeError;
  std::uintmax_t size = std::filesystem::file_size(name, sizeError);
  if (!sizeError && size < bytes.max_size()) bytes.reserve(static_cast<std::size_t>(size) + 1);
  char block[65536];
  std::size_t got;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(file);
  if (error != 0) FailToRead(name, error);
  return true;
}

std::string ReadExistingFile(const std::string& name) {
  std::string bytes;
  if (!ReadFileIfPresent(name, bytes)) FailToRead(name, ENOENT);
  return bytes;
}

BaseFiles::BaseFiles(std::string_view base)
    : crt(OutputFileName(base, "CRT")),
      bas(OutputFileName(base, "BAS")),
      lst(OutputFileName(base, "LST")),
      obs(OutputFileName(base, "OBS")),
      po(OutputFileName(base, "po")),
      html(OutputFileName(base, "html")),
      journal(OutputFileName(base, "quotex-journal")),
      lock(OutputFileName(base, "quotex-lock")) {}

std::string BaseNameProblem(std::string_view base) {
  std::string_view name = base.substr(DirectoryPartLength(std::string(base).c_str()));
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(name.substr(dot + 1));
  UpperCaseAscii(extension.data());
  for (const char* own : {"CRT", "BAS", "LST", "OBS"}) {
    if (extension == own) {
      return "BASE names the files without their extension: '" + std::string(base) +
             "' would stand for " + OutputFileName(base, own) + "; give '" +
             std::string(base.substr(0, base.size() - name.size() + dot)) + "'";
    }
  }
  return {};
}

namespace {

// Whether two names reach the same file: the same existing file, or the same path after links
// are followed, letters in either case (they name one file on Windows, and two names that
// differ only so would confuse anyone elsewhere).
bool SameFile(const std::string& a, const std::string& b) {
  std::optional<FileIdentity> identityA = IdentityOf(a.c_str());
  std::optional<FileIdentity> identityB = IdentityOf(b.c_str());
  if (identityA && identityB) return *identityA == *identityB;
  auto path = [](const std::string& name) {
    std::error_code error;
    std::string path =
        std::filesystem::weakly_canonical(std::filesystem::absolute(name, error), error).string();
    UpperCaseAscii(path.data());
    return path;
  };
  return path(a) == path(b);
}

}  // namespace

std::string OwnFileProblem(const std::string& output, std::string_view base, std::string_view what,
                           std::string_view extension) {
  if (output.empty()) return {};
  const BaseFiles files(base);
  for (const std::string* own : {&files.crt, &files.bas, &files.lst, &files.obs}) {
    if (SameFile(output, *own)) {
      return "'" + output + "' is " + *own + ", one of the files of '" + std::string(base) +
             "'; name " + std::string(what) + ", such as " + OutputFileName(base, extension);
    }
  }
  if (IsOwnWorkFile(output))
    return "'" + output + "' is a name quotex-lang keeps for its own files";
  return {};
}

namespace {

// How long a command waits for another one that holds the base's files: long enough for any
// command on a real application, which takes a fraction of a second.
constexpr unsigned kWaitMilliseconds = 3000;
constexpr unsigned kPollMilliseconds = 20;

// Takes `lock`, the lock file `path` of the files `what` names, waiting a while for another
// command that holds it; `file` is the file a message names.
void Take(FileLock& lock, const std::string& path, const std::string& what,
          const std::string& file) {
  for (unsigned waited = 0;; waited += kPollMilliseconds) {
    FileLock::Outcome outcome = lock.TryLock(path.c_str());
    if (outcome == FileLock::Outcome::kLocked || outcome == FileLock::Outcome::kUnwritable) return;
    if (outcome == FileLock::Outcome::kNotAFile) {
      throw LangError(path, "cannot lock " + what +
                                " against other commands: not a regular file; nothing was "
                                "changed (remove it, then run the command again)");
    }
    if (outcome == FileLock::Outcome::kFailed) {
      throw LangError(path, "cannot lock " + what + " against other commands: " +
                                LastSystemError() + "; nothing was changed");
    }
    if (waited == 0) {
      std::fprintf(stderr, "%s: note: waiting for another quotex-lang command on %s...\n",
                   file.c_str(), what.c_str());
    }
    if (waited >= kWaitMilliseconds) {
      throw LangError(file, "another quotex-lang command on " + what +
                                " is still at work; nothing was changed (run this one again "
                                "once it has finished)");
    }
    WaitMilliseconds(kPollMilliseconds);
  }
}

void LetGo(FileLock& lock, const std::string& path) {
  if (!lock.Unlock()) {
    std::fprintf(stderr,
                 "%s: warning: cannot remove it: %s; the next quotex-lang command on these "
                 "files removes it\n",
                 path.c_str(), LastSystemError().c_str());
  }
}

}  // namespace

// Commands on two bases may write one PO file (export -o): it has a lock of its own, always
// taken last, so that two such commands never wait for each other. pseudo holds two bases, and
// `pseudo a b` beside `pseudo b a` can: both give up after the wait, with nothing changed. Every
// command takes the lock of the base's own PO file, so that one a kill left is removed.
BaseLock::BaseLock(const BaseFiles& files, const std::string& output)
    : baseLock_(files.lock), writtenLock_((output.empty() ? files.po : output) + ".quotex-lock") {
  const std::string& written = output.empty() ? files.po : output;
  Take(base_, baseLock_, files.crt.substr(0, files.crt.size() - 4), files.crt);
  Take(written_, writtenLock_, written, written);
  // The PO file's own commit first: what it left beside the file is its own.
  for (const std::string& done : {RecoverFiles(PoJournal(written), {written, written + "~"}),
                                  RecoverFiles(files.journal, files.Replaceable())}) {
    if (!done.empty()) std::fprintf(stderr, "%s: note: %s\n", files.crt.c_str(), done.c_str());
  }
}

BaseLock::~BaseLock() {
  LetGo(written_, writtenLock_);
  LetGo(base_, baseLock_);
}

void ReportLeftovers(const std::vector<Leftover>& leftovers) {
  for (const Leftover& leftover : leftovers) {
    std::fprintf(stderr, "%s: warning: %s\n", leftover.file.c_str(), leftover.message.c_str());
  }
}

CrtDocument ReadTranslatedFile(const std::string& name, bool required, bool quietly) {
  std::string bytes;
  if (!ReadFileIfPresent(name, bytes)) {
    if (required) FailToRead(name, ENOENT);
    return CrtDocument{};
  }
  CrtDocument document = ReadCrt(bytes);
  std::vector<Diagnostic> errors = PairingErrors(document);
  if (errors.empty()) return document;
  if (!quietly) {
    for (const Diagnostic& error : errors) PrintDiagnostic(name, error);
  }
  throw LangError(name,
                  "its pairs cannot be taken as they stand; nothing was changed ('quotex-lang "
                  "check' lists every problem of the file)");
}

void PrintDiagnostic(std::string_view file, const Diagnostic& diagnostic) {
  std::fprintf(stderr, "%s\n", FormatDiagnostic(file, diagnostic).c_str());
}

namespace {

// What a diagnostic says without what differs from one line to the next: its numbers and the
// pieces it quotes.
std::string KindOf(const Diagnostic& diagnostic) {
  std::string kind(1, diagnostic.severity == Severity::kError ? 'e' : 'w');
  bool quoted = false;
  for (char c : diagnostic.message) {
    if (c == '\'') quoted = !quoted;
    if (c == '\'' || (!quoted && !IsAsciiDigit(c))) kind += c;
  }
  return kind;
}

}  // namespace

bool Report(std::string_view file, const std::vector<Diagnostic>& diagnostics, bool everyOne) {
  // A file from another application may give the same warning for each of a million entries:
  // a few of each kind are shown, and the rest counted.
  constexpr std::size_t kShownOfAKind = 5;
  struct Kind {
    const Diagnostic* first;
    std::size_t count = 0;
  };
  std::unordered_map<std::string, Kind> kinds;
  std::vector<const Kind*> order;
  bool error = false;
  for (const Diagnostic& diagnostic : diagnostics) {
    error = error || diagnostic.severity == Severity::kError;
    Kind* kind = nullptr;
    if (!everyOne) {
      auto [found, isNew] = kinds.try_emplace(KindOf(diagnostic), Kind{&diagnostic});
      kind = &found->second;
      if (isNew) order.push_back(kind);
    }
    if (kind == nullptr || ++kind->count <= kShownOfAKind) PrintDiagnostic(file, diagnostic);
  }
  for (const Kind* kind : order) {
    if (kind->count <= kShownOfAKind) continue;
    bool isError = kind->first->severity == Severity::kError;
    PrintDiagnostic(
        file, {0, kind->first->severity,
               Counted(kind->count - kShownOfAKind, isError ? "more error" : "more warning") +
                   " like the one on line " + std::to_string(kind->first->line) + ", not shown"});
  }
  return error;
}

CodePage RequiredCodePage(const std::string& name) {
  std::optional<CodePage> codePage = CodePage::Named(name);
  if (!codePage) throw LangError(name, "this code page is not available on this system");
  return *codePage;
}

void OpenOutput(TextFile& file, const std::string& sibling, const std::string& finalName) {
  errno = 0;
  file.Open(sibling.c_str(), "wt");
  if (!file.IsOpen()) throw LangError(finalName, "cannot write: " + LastSystemError());
}

void CloseOutput(TextFile& file, const std::string& finalName) {
  errno = 0;
  if (!file.Close()) throw LangError(finalName, "cannot write: " + LastSystemError());
}

void WritePairs(const std::string& staged, const std::string& finalName,
                const std::vector<CrtPair>& pairs, const CrtHeader& header) {
  TextFile file;
  OpenOutput(file, staged, finalName);
  try {
    WriteCrtHeader(file, pairs.size(), header);
    for (const CrtPair& pair : pairs) WriteCrtPair(file, pair.text, pair.translation);
    WriteCrtEnd(file);
  } catch (const Failure&) {
    throw LangError(finalName, "cannot write: " + LastSystemError());
  }
  CloseOutput(file, finalName);
}

void PrintSummary(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
}

namespace {

// A time as a PO header gives a date: "2026-12-07 08:39+0000".
std::string PoDate(std::chrono::system_clock::time_point when) {
  auto minutes = std::chrono::floor<std::chrono::minutes>(when);
  auto day = std::chrono::floor<std::chrono::days>(minutes);
  std::chrono::year_month_day date(day);
  std::chrono::hh_mm_ss time(minutes - day);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d+0000", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()));
  return text;
}

}  // namespace

std::string ModificationTime(const std::string& name) {
  std::error_code error;
  auto written = std::filesystem::last_write_time(name, error);
  if (error) throw LangError(name, "cannot read: " + error.message());
  return PoDate(std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(written)));
}

// SOURCE_DATE_EPOCH, where a reproducible build sets it, stands for now, as in other tools
// that stamp their outputs.
std::string CurrentTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    long long seconds = std::strtoll(epoch, &end, 10);
    if (end != epoch && *end == '\0' && seconds >= 0) {
      return PoDate(std::chrono::system_clock::time_point(std::chrono::seconds(seconds)));
    }
  }
  return PoDate(std::chrono::system_clock::now());
}
