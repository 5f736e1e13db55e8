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

// The files whose entries a scan passes over: quotex-lang's own. quotex empties its outputs
// before it scans, so they hold nothing to find; the obsolete texts and the PO file's must not
// come back as found ones; and the files of a commit are not sources either.
class OwnFiles {
 public:
  explicit OwnFiles(const BaseFiles& files) {
    for (const std::string& name : files.Replaceable()) {
      if (std::optional<FileIdentity> identity = IdentityOf(name.c_str())) {
        existing_.push_back(*identity);
      }
    }
  }

  bool Includes(const char* entry) const {
    if (IsOwnWorkFile(entry)) return true;
    std::optional<FileIdentity> identity = IdentityOf(entry);
    return identity && std::find(existing_.begin(), existing_.end(), *identity) != existing_.end();
  }

 private:
  std::vector<FileIdentity> existing_;  // of those that exist before the scan
};

// Scans every entry the mask matches as quotex does, but for the files of its own; returns the
// names of the files that could not be read to their end.
std::vector<std::string> ScanSources(const std::string& mask, const OwnFiles& own) {
  DirectorySearch search;
  if (!search.First(mask.c_str())) {
    throw LangError(mask, "no file in the current directory matches this mask");
  }
  std::vector<std::string> unreadable =
      ScanEntries(search, [&own](const char* entry) { return own.Includes(entry); });
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

// Closes quotex's three outputs on the way out, before the new files are removed after a
// failure: Windows does not remove a file that is still open.
struct OutputsClosed {
  OutputsClosed() = default;
  OutputsClosed(const OutputsClosed&) = delete;
  OutputsClosed& operator=(const OutputsClosed&) = delete;
  ~OutputsClosed() {
    BasFile.Close();
    CrtFile.Close();
    LstFile.Close();
  }
};

// Writes the three files through quotex's own writer, then the obsolete texts, and replaces
// them all together (the CRT file, the file of record, last).
void WriteFiles(const BaseFiles& files, const CrtHeader& header,
                const std::vector<CrtPair>& obsolete, const CrtHeader& obsoleteHeader) {
  FileSet set(files.journal, files.crt);
  std::string bas = set.Stage(files.bas);
  std::string lst = set.Stage(files.lst);
  if (obsolete.empty()) {
    set.StageRemoval(files.obs);
  } else {
    WritePairs(set.Stage(files.obs), files.obs, obsolete, obsoleteHeader);
  }
  std::string crt = set.Stage(files.crt);
  {
    OutputsClosed closed;
    OpenOutput(BasFile, bas, files.bas);
    OpenOutput(CrtFile, crt, files.crt);
    OpenOutput(LstFile, lst, files.lst);
    try {
      WriteOutputs(header);
    } catch (const Failure&) {
      throw LangError(files.crt, "cannot write it or its BAS or LST file: " + LastSystemError() +
                                     "; every file is as it was");
    }
    CloseOutput(BasFile, files.bas);
    CloseOutput(CrtFile, files.crt);
    CloseOutput(LstFile, files.lst);
  }
  set.Commit();
}

}  // namespace

int RunUpdate(const UpdateRequest& request) {
  const BaseFiles files(request.base);
  RecoverBase(files);
  const CrtDocument old = ReadTranslatedFile(files.crt);
  const CrtDocument kept = ReadTranslatedFile(files.obs);

  Settings.messagesOnly = request.messagesOnly;
  std::vector<std::string> unreadable = ScanSources(request.mask, OwnFiles(files));
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
  WriteFiles(files, old.header, merged.obsolete, kept.header);
  PrintSummary(files.crt + ": " + Counted(merged.translations.size(), "text") + ", " +
               std::to_string(merged.translated) + " translated, " + std::to_string(merged.added) +
               " new, " + std::to_string(merged.dropped) + " obsolete");
  return 0;
}
