// Reading and writing the files that belong to one base name, which are named as quotex names
// its outputs (OutputFileName), and telling the user about them.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "lang/file_set.h"
#include "platform/lang_platform.h"
#include "scan/text_file.h"
#include "translation/code_page.h"
#include "translation/crt_reader.h"

// Opens the file `name` to read it; none when there is no such file. Raises LangError for one
// that cannot be opened, or that is not a regular file (reading a pipe could wait for ever).
std::FILE* OpenToRead(const std::string& name);
// The bytes of a file; false when there is no such file. Raises LangError when the file exists
// but cannot be read to its end.
bool ReadFileIfPresent(const std::string& name, std::string& bytes);
// The bytes of a file that must exist; raises LangError otherwise.
std::string ReadExistingFile(const std::string& name);

// The files of one base name: `lang/de` stands for lang/DE.CRT, lang/DE.BAS, lang/DE.LST, the
// obsolete translations lang/DE.OBS, the PO file export writes by default, lang/DE.po (and the
// backup of an earlier one, lang/DE.po~), the page preview writes by default, lang/DE.html, the
// journal of a commit of several of them and the lock that keeps two commands off them.
struct BaseFiles {
  explicit BaseFiles(std::string_view base);
  // Every file a command may replace: the PO file's backup (BASE.po~) too.
  std::vector<std::string> Replaceable() const { return {crt, bas, lst, obs, po, po + "~", html}; }

  std::string crt, bas, lst, obs, po, html, journal, lock;
};

// The journal of a commit of a PO file and its backup (BASE.po~), beside them: an export may
// write one in another folder.
inline std::string PoJournal(const std::string& po) {
  return po + ".quotex-journal";
}

// What is wrong with BASE as a command line gives it, or nothing: it names the files without
// their extension, so "de.crt" would stand for DE.CRT.CRT.
std::string BaseNameProblem(std::string_view base);

// What is wrong with writing `output` for a command on `base`, or nothing: it must be none of
// the base's CRT, BAS, LST and OBS files, nor a file of quotex-lang's own making. The message
// suggests `what` the file should be, with the name the base gives it by default.
std::string OwnFileProblem(const std::string& output, std::string_view base,
                           std::string_view what = "a PO file", std::string_view extension = "po");

// Keeps every other quotex-lang command off the base's files while one works on them: taken
// before anything is read, kept until the last file is in place; and off the PO file it may
// write, the base's own or `output`. A command that finds them taken waits a while, saying so on
// standard error, then gives up with LangError. Once it holds them it brings them to a state a
// command left complete (RecoverFiles) and says on standard error what it did. Where a folder
// is not there or cannot be written, so that nothing there can change, no lock is needed.
class BaseLock {
 public:
  explicit BaseLock(const BaseFiles& files, const std::string& output = {});
  BaseLock(const BaseLock&) = delete;
  BaseLock& operator=(const BaseLock&) = delete;
  // Lets go of the files; says so on standard error when a lock's file could not be removed.
  ~BaseLock();

 private:
  std::string baseLock_, writtenLock_;  // the lock files
  FileLock base_, written_;
};

// Tells the user, as warnings, what could not be tidied once a change was made.
void ReportLeftovers(const std::vector<Leftover>& leftovers);

// Reads a file in the CRT layout (a CRT or OBS file) for a command that takes its pairs as they
// stand: prints each line that keeps them from being taken so (see PairingErrors) and raises
// LangError after them. A missing file reads as one without pairs, unless it is `required`.
// `quietly`, nothing is printed.
CrtDocument ReadTranslatedFile(const std::string& name, bool required = false,
                               bool quietly = false);

// Prints a diagnostic about a line of `file` on standard error.
void PrintDiagnostic(std::string_view file, const Diagnostic& diagnostic);
// Prints the diagnostics about `file`, unless `everyOne` only the first few of each kind (the
// same message but for its numbers and quoted pieces) and then how many more there are; true
// when one of them is an error.
bool Report(std::string_view file, const std::vector<Diagnostic>& diagnostics,
            bool everyOne = false);

// The code page `name` names (a name the command line has checked); raises LangError where this
// system lacks it.
CodePage RequiredCodePage(const std::string& name);

// Prints the one line a command prints on success, on standard output.
void PrintSummary(const std::string& line);

// When the file was last written, in UTC, as a PO header gives a date: "2026-12-07 08:39+0000".
std::string ModificationTime(const std::string& name);
// The time now, given so (or the time SOURCE_DATE_EPOCH gives, in seconds since 1970).
std::string CurrentTime();

// Opens `file` to write `sibling`, the name `finalName` is written under; closes it, making
// sure everything reached the file. Both raise LangError naming `finalName`.
void OpenOutput(TextFile& file, const std::string& sibling, const std::string& finalName);
void CloseOutput(TextFile& file, const std::string& finalName);

// The text of each pair as the BAS and LST files show it, given the lines of an old BAS file.
// It differs from the CRT file's only where quotex wrote a tab for a text's first "<9>" (a "~" in
// the BAS file), which the CRT file alone cannot tell from a tab of the source; so the old BAS
// line is taken where it agrees.
std::vector<std::string> BasTexts(const std::vector<CrtPair>& pairs, std::string_view oldBas);
// Writes the BAS file `basName` of `pairs` to `staged`, the texts shown as `basTexts` gives
// them; raises LangError naming it.
void WriteBas(const std::string& staged, const std::string& basName,
              const std::vector<CrtPair>& pairs, const std::vector<std::string>& basTexts);

// Writes `pairs` in the CRT layout, starting with `header`, to `staged`, the new file of
// `finalName`, and closes it. Raises LangError naming `finalName`.
void WritePairs(const std::string& staged, const std::string& finalName,
                const std::vector<CrtPair>& pairs, const CrtHeader& header);

// The base name's file part, upper-cased: the name of the project its texts belong to.
std::string ProjectName(std::string_view base);

// The language the base name's file part names when it is a language code as translators' tools
// write one (two letters, or two or three letters, '_' and a region of two: de, pt_BR), in their
// letter case ("DE" gives "de", "PT_br" "pt_BR"); else nothing. Three letters alone are more
// often an application's name than a language.
std::string LanguageOfBase(std::string_view base);
