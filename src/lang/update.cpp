// `update`: scans the sources as quotex does and writes its three files again, each text with
// the translation the old CRT file (or the obsolete texts) gave it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "common/failure.h"
#include "common/settings.h"
#include "lang/base_files.h"
#include "lang/commands.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/merge.h"
#include "lang/progress.h"
#include "lang/sources.h"
#include "output/outputs.h"
#include "platform/lang_platform.h"
#include "platform/platform.h"
#include "translation/check.h"
#include "translation/notation.h"

namespace {

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
// them all together (the CRT file, the file of record, last). Returns, as warnings, what check
// will call errors in the translations kept (a lone quote), on the lines of the new CRT file.
std::vector<Diagnostic> WriteFiles(const BaseFiles& files, const CrtHeader& header,
                                   const std::vector<CrtPair>& obsolete,
                                   const CrtHeader& obsoleteHeader, bool translationsToCheck) {
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
  std::vector<Diagnostic> kept;
  if (translationsToCheck) kept = TranslationErrors(ReadCrt(ReadExistingFile(crt)));
  for (Diagnostic& each : kept) {
    each.severity = Severity::kWarning;
    each.message += " (check reports it as an error)";
  }
  ReportLeftovers(set.Commit());
  return kept;
}

}  // namespace

int RunUpdate(const UpdateRequest& request) {
  const BaseFiles files(request.base);
  const BaseLock lock(files);
  const CrtDocument old = ReadTranslatedFile(files.crt);
  const CrtDocument kept = ReadTranslatedFile(files.obs);

  Settings.messagesOnly = request.messagesOnly;
  std::size_t leftOut = ScanSources(request.mask, files);
  MergedTranslations merged;
  std::vector<Diagnostic> keptBroken;
  {
    ConsoleLine writing;  // blanked before anything is printed
    writing.Show("Writing files");
    merged = MergeTranslations(CatalogueTextsAsWritten(), old.pairs, kept.pairs);
    std::size_t index = 0;
    for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
      List.SetTranslation(node, merged.translations[index++]);
    }
    bool translationsToCheck =
        std::any_of(merged.translations.begin(), merged.translations.end(),
                    [](const std::string& each) { return FindNotationProblem(each).has_value(); });
    keptBroken = WriteFiles(files, old.header, merged.obsolete, kept.header, translationsToCheck);
  }
  Report(files.crt, keptBroken);
  PrintSummary(files.crt + ": " + Counted(merged.translations.size(), "text") + ", " +
               std::to_string(merged.translated) + " translated, " + std::to_string(merged.added) +
               " new, " + std::to_string(merged.dropped) + " obsolete" + LeftOutOfScan(leftOut));
  return 0;
}
