// `check --sources`, `preview` and `pseudo`: the texts of a base in the windows of the sources.
#include "lang/windows.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/ascii.h"
#include "common/failure.h"
#include "common/settings.h"
#include "lang/commands.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/notes.h"
#include "lang/sources.h"
#include "platform/platform.h"
#include "window/fit.h"
#include "window/page.h"
#include "window/pseudo.h"
#include "window/window.h"

namespace {

// The windows of the sources the mask names, file after file in the order update scans them.
std::vector<Window> SourceWindows(const std::string& mask, const BaseFiles& files) {
  std::vector<Window> windows;
  std::vector<std::string> unreadable;
  for (const std::string& name : SourceFiles(mask, files)) {
    if (!ReadWindows(name, windows)) unreadable.push_back(name);
  }
  for (const std::string& name : unreadable) {
    std::fprintf(stderr, "%s: error: cannot read this source to its end\n", name.c_str());
  }
  if (!unreadable.empty()) throw LangError(mask, "not every source could be read");
  return windows;
}

// The first translation of each text that has one.
Translations TranslationsOf(const CrtDocument& crt) {
  Translations translations;
  for (const CrtPair& pair : crt.pairs) {
    if (!pair.translation.empty()) translations.try_emplace(pair.text, pair.translation);
  }
  return translations;
}

// Writes `lines` to `staged`, the new file of `finalName`.
void WriteLines(const std::string& staged, const std::string& finalName,
                const std::vector<std::string>& lines) {
  TextFile file;
  OpenOutput(file, staged, finalName);
  try {
    for (const std::string& line : lines) file.WriteLine(line.c_str());
  } catch (const Failure&) {
    throw LangError(finalName, "cannot write: " + LastSystemError());
  }
  CloseOutput(file, finalName);
}

// The first translation of `crt` that is a translator's work, which pseudo never writes over.
const CrtPair* ForeignTranslation(const CrtDocument& crt) {
  for (const CrtPair& pair : crt.pairs) {
    if (!PseudoTranslator::IsPseudoTranslation(pair.translation)) return &pair;
  }
  return nullptr;
}

}  // namespace

std::string CheckWindows(const std::string& mask, const BaseFiles& files, const CrtDocument& crt,
                         const CodePage& codePage) {
  std::vector<Window> windows = SourceWindows(mask, files);
  Translations translations = TranslationsOf(crt);
  std::size_t misfits = 0;
  for (const Window& window : windows) {
    WindowFit fit = FitWindow(window, translations, codePage);
    Report(window.file, MisfitWarnings(window, fit), true);  // check lists every problem
    misfits += fit.misfits;
  }
  return ", " + Counted(windows.size(), "window") + ", " + MisfitCount(misfits);
}

int RunPreview(const PreviewRequest& request) {
  CodePage codePage = RequiredCodePage(request.charset);
  const BaseFiles files(request.base);
  const std::string& output = request.output.empty() ? files.html : request.output;
  const BaseLock lock(files, output);
  CrtDocument crt = ReadCrt(ReadExistingFile(files.crt));
  std::vector<Window> windows = SourceWindows(request.sources, files);
  Translations translations = TranslationsOf(crt);
  std::vector<WindowFit> fits;
  std::size_t misfits = 0, untranslated = 0;
  for (const Window& window : windows) {
    fits.push_back(FitWindow(window, translations, codePage));
    misfits += fits.back().misfits;
    untranslated += fits.back().untranslated;
  }
  std::string page = WindowsPage(files.crt, windows, fits, codePage);
  std::vector<std::string> lines;
  for (std::string_view rest = page; !rest.empty();) lines.emplace_back(TakeLine(rest));
  FileSet set(files.journal, output);
  WriteLines(set.Stage(output), output, lines);
  ReportLeftovers(set.Commit());
  PrintSummary(output + ": " + Counted(windows.size(), "window") + ", " + MisfitCount(misfits) +
               ", " + std::to_string(untranslated) + " untranslated");
  return 0;
}

int RunPseudo(const PseudoRequest& request) {
  CodePage codePage = RequiredCodePage(request.charset);
  const BaseFiles from(request.base), to(request.pseudo);
  const BaseLock fromLock(from), toLock(to);
  CrtDocument crt = ReadTranslatedFile(from.crt, true);
  std::string existing;
  ReadFileIfPresent(to.crt, existing);
  CrtDocument written = ReadCrt(existing);
  if (const CrtPair* foreign = ForeignTranslation(written)) {
    throw LangError(to.crt, "line " + std::to_string(foreign->translationLine) +
                                " holds a translation that is no pseudo-translation; nothing was "
                                "changed (name other files for the pseudo-translations)");
  }
  SourceUses uses;
  if (!request.sources.empty()) {
    Settings.messagesOnly = request.messagesOnly;
    uses = ScanSourceUses(request.sources, from);
  }
  PseudoTranslator translator(codePage, request.expandPercent);
  std::vector<CrtPair> pairs = crt.pairs;
  std::size_t translated = 0;
  for (CrtPair& pair : pairs) {
    // Program matter stays as it is: the program needs it unchanged. It is what export notes so:
    // a text that looks like it, or that the sources use as such where they first use it.
    auto used = uses.numbers.find(pair.text);
    bool programMatter = !ProgramMatterNote(pair.text).empty() ||
                         (used != uses.numbers.end() && !uses.texts[used->second].use.note.empty());
    pair.translation = programMatter ? std::string() : translator.Translate(pair.text);
    translated += pair.translation.empty() ? 0 : 1;
  }
  std::string oldBas;
  ReadFileIfPresent(from.bas, oldBas);
  std::vector<std::string> texts = BasTexts(pairs, oldBas);
  FileSet set(to.journal, to.crt);
  WriteBas(set.Stage(to.bas), to.bas, pairs, texts);
  WriteLines(set.Stage(to.lst), to.lst, texts);
  WritePairs(set.Stage(to.crt), to.crt, pairs, crt.header);
  ReportLeftovers(set.Commit());
  PrintSummary(to.crt + ": " + Counted(pairs.size(), "text") + ", " +
               std::to_string(translated) + " pseudo-translated, " +
               std::to_string(pairs.size() - translated) + " left as they are");
  return 0;
}
