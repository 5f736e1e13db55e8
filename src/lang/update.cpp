// `update`: scans the sources as quotex does and writes its three files again, each text with
// the translation the old CRT file (or the obsolete texts) gave it.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "common/failure.h"
#include "common/settings.h"
#include "driver/run.h"
#include "lang/base_files.h"
#include "lang/commands.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/merge.h"
#include "output/outputs.h"
#include "platform/platform.h"

namespace {

// The files update reads and writes.
struct UpdatedFiles {
  explicit UpdatedFiles(const std::string& base)
      : crt(OutputFileName(base, "CRT")),
        bas(OutputFileName(base, "BAS")),
        lst(OutputFileName(base, "LST")),
        obs(OutputFileName(base, "OBS")) {
    for (const std::string* name : {&crt, &bas, &lst, &obs}) {
      if (std::optional<FileIdentity> identity = IdentityOf(name->c_str())) {
        existing.push_back(*identity);
      }
    }
  }

  // Whether a source entry is one of them: quotex empties its outputs before it scans, so they
  // hold nothing to find; and the obsolete texts must not come back as found ones.
  bool Includes(const char* entry) const {
    std::optional<FileIdentity> identity = IdentityOf(entry);
    return identity && std::find(existing.begin(), existing.end(), *identity) != existing.end();
  }

  std::string crt, bas, lst, obs;
  std::vector<FileIdentity> existing;  // of those that exist before the scan
};

// Scans every entry the mask matches as quotex does, but for the files of its own; returns the
// names of the files that could not be read to their end.
std::vector<std::string> ScanSources(const std::string& mask, const UpdatedFiles& files) {
  DirectorySearch search;
  if (!search.First(mask.c_str())) {
    throw LangError(mask, "no file in the current directory matches this mask");
  }
  std::vector<std::string> unreadable =
      ScanEntries(search, [&files](const char* entry) { return files.Includes(entry); });
  search.Close();
  return unreadable;
}

// The texts of the catalogue as the CRT file holds them.
std::vector<std::string> CatalogueTextsAsWritten() {
  std::vector<std::string> texts;
  for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
    texts.push_back(CrtText(node->text.c_str()));
  }
  return texts;
}

void WriteObsolete(const std::string& sibling, const std::string& finalName,
                   const std::vector<CrtPair>& obsolete) {
  TextFile file;
  OpenOutput(file, sibling, finalName);
  try {
    WriteCrtHeader(file, obsolete.size());
    for (const CrtPair& pair : obsolete) WriteCrtPair(file, pair.text, pair.translation);
    WriteCrtEnd(file);
  } catch (const Failure&) {
    throw LangError(finalName, "cannot write: " + LastErrorText());
  }
  CloseOutput(file, finalName);
}

// Writes the three files through quotex's own writer, then the obsolete texts, and replaces
// them all together (the CRT file, the file of record, last).
void WriteFiles(const UpdatedFiles& files, const std::vector<CrtPair>& obsolete) {
  FileSet set;
  std::string bas = set.Stage(files.bas);
  std::string lst = set.Stage(files.lst);
  if (obsolete.empty()) {
    set.StageRemoval(files.obs);
  } else {
    WriteObsolete(set.Stage(files.obs), files.obs, obsolete);
  }
  std::string crt = set.Stage(files.crt);
  OpenOutput(BasFile, bas, files.bas);
  OpenOutput(CrtFile, crt, files.crt);
  OpenOutput(LstFile, lst, files.lst);
  try {
    WriteOutputs();
  } catch (const Failure&) {
    throw LangError(files.crt, "cannot write it or its BAS or LST file: " + LastErrorText());
  }
  CloseOutput(BasFile, files.bas);
  CloseOutput(CrtFile, files.crt);
  CloseOutput(LstFile, files.lst);
  set.Commit();
}

}  // namespace

int RunUpdate(const UpdateRequest& request) {
  const UpdatedFiles files(request.base);
  const CrtDocument old = ReadTranslatedFile(files.crt);
  const CrtDocument kept = ReadTranslatedFile(files.obs);

  Settings.messagesOnly = request.messagesOnly;
  std::vector<std::string> unreadable = ScanSources(request.mask, files);
  WriteToConsole("\nWriting files\n");
  if (!unreadable.empty()) {
    for (const std::string& name : unreadable) {
      std::fprintf(stderr, "%s: error: cannot read this source to its end\n", name.c_str());
    }
    throw LangError(files.crt, "not updated, since not every source could be read");
  }

  MergedTranslations merged = MergeTranslations(CatalogueTextsAsWritten(), old.pairs, kept.pairs);
  std::size_t index = 0;
  for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
    List.SetTranslation(node, merged.translations[index++]);
  }
  WriteFiles(files, merged.obsolete);
  PrintSummary(files.crt + ": " + Counted(merged.translations.size(), "text") + ", " +
               std::to_string(merged.translated) + " translated, " + std::to_string(merged.added) +
               " new, " + std::to_string(merged.dropped) + " obsolete");
  return 0;
}
