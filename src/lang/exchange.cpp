// `check` and `import`: the commands that read a translated CRT file as it stands and take it,
// or a PO file, at its word.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/ascii.h"
#include "common/failure.h"
#include "lang/base_files.h"
#include "lang/commands.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "lang/windows.h"
#include "output/outputs.h"
#include "platform/lang_platform.h"
#include "scan/text_file.h"
#include "translation/check.h"
#include "translation/code_page.h"
#include "translation/po_exchange.h"
#include "translation/po_file.h"

namespace {

// Whether an entry import may take holds a character beyond ASCII, whose bytes depend on the
// code page.
bool HoldsNonAscii(const PoDocument& po, bool includeFuzzy) {
  auto nonAscii = [](const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  };
  return std::any_of(po.entries.begin(), po.entries.end(), [&](const PoEntry& entry) {
    return (!entry.fuzzy || includeFuzzy) && (nonAscii(entry.id) || nonAscii(entry.translation));
  });
}

// The code page to import with: the one the PO file records that it was exported for, which
// --charset may only repeat; else --charset. The default is taken only where it cannot give
// wrong bytes: a tool that drops the header (a CSV round trip) drops the record with it.
CodePage ImportCodePage(const ImportRequest& request, const PoDocument& po) {
  std::optional<std::string> recorded = RecordedCodePage(po);
  if (!recorded && request.charset.empty() && HoldsNonAscii(po, request.includeFuzzy)) {
    throw LangError(request.poFile,
                    "the file does not say which code page it was exported for (a tool may have "
                    "dropped its header), and it holds letters beyond ASCII; nothing was changed "
                    "(give --charset with the code page of the CRT file)");
  }
  if (!recorded)
    return RequiredCodePage(request.charset.empty() ? kDefaultCharset : request.charset);
  std::optional<CodePage> exported = CodePage::Named(*recorded);
  if (!exported) {
    throw LangError(request.poFile, "exported for code page " + Quoted(*recorded) +
                                        ", which this system does not have; nothing was changed");
  }
  if (!request.charset.empty()) {
    CodePage given = RequiredCodePage(request.charset);
    if (given.Name() != exported->Name()) {
      std::string name(exported->Name());
      throw LangError(request.poFile,
                      "exported for " + name + ", but --charset " + std::string(given.Name()) +
                          " was given; nothing was changed (leave --charset out to import it "
                          "for " +
                          name + ")");
    }
  }
  return *exported;
}

// A share of texts in per cent with one decimal, cut rather than rounded so that 100.0% means
// every text; nothing to translate counts as done.
std::string Percentage(std::size_t part, std::size_t whole) {
  std::size_t tenths = whole == 0 ? 1000 : part * 1000 / whole;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

// The text as the BAS file shows it, given its CRT form and the old BAS line for it: the old
// line's text where it is the CRT text with at most one tab shown as "~", else the CRT text with
// its first tab shown so.
std::string BasTextOf(std::string_view crtText, std::string_view oldLine) {
  std::string_view shown = oldLine.substr(std::min<std::size_t>(1, oldLine.size()));
  if (oldLine.starts_with('"') && shown.size() > crtText.size() &&
      shown.substr(crtText.size()).starts_with("\", \"")) {
    shown = shown.substr(0, crtText.size());
    std::size_t tildes = 0;
    bool agrees = true;
    for (std::size_t i = 0; i < crtText.size() && agrees; ++i) {
      if (shown[i] == crtText[i]) continue;
      agrees = crtText[i] == '\t' && shown[i] == '~' && ++tildes == 1;
    }
    if (agrees) return std::string(shown);
  }
  std::string text(crtText);
  std::size_t tab = text.find('\t');
  if (tab != std::string::npos) text[tab] = '~';
  return text;
}

}  // namespace

std::vector<std::string> BasTexts(const std::vector<CrtPair>& pairs, std::string_view oldBas) {
  std::vector<std::string> texts;
  for (const CrtPair& pair : pairs) {
    texts.push_back(BasTextOf(pair.text, TakeLine(oldBas)));
  }
  return texts;
}

void WriteBas(const std::string& staged, const std::string& basName,
              const std::vector<CrtPair>& pairs, const std::vector<std::string>& basTexts) {
  TextFile bas;
  OpenOutput(bas, staged, basName);
  try {
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      WriteBasPair(bas, basTexts[i], pairs[i].translation);
    }
  } catch (const Failure&) {
    throw LangError(basName, "cannot write: " + LastSystemError());
  }
  CloseOutput(bas, basName);
}

namespace {

// Writes what the import changed, replacing the files together: the CRT file with its new
// translations and the BAS file to match, and the obsolete texts.
void WriteImported(const CrtDocument& crt, const CrtDocument& obsolete, const ImportResult& result,
                   const BaseFiles& files) {
  FileSet set(files.journal, files.crt);
  if (result.obsoleteChanged) {
    WritePairs(set.Stage(files.obs), files.obs, result.obsolete, obsolete.header);
  }
  if (result.taken > 0) {
    std::vector<CrtPair> pairs = crt.pairs;
    for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i].translation = result.translations[i];
    std::string oldBas;
    ReadFileIfPresent(files.bas, oldBas);
    WriteBas(set.Stage(files.bas), files.bas, pairs, BasTexts(pairs, oldBas));
    WritePairs(set.Stage(files.crt), files.crt, pairs, crt.header);
  }
  ReportLeftovers(set.Commit());
}

// ", 3 fuzzy left out" and the like, or nothing for none.
std::string LeftOut(std::size_t count, std::string_view what) {
  return count == 0 ? "" : ", " + std::to_string(count) + " " + std::string(what);
}

}  // namespace

int RunCheck(const CheckRequest& request) {
  CodePage codePage = RequiredCodePage(request.charset);
  const BaseFiles files(request.base);
  const BaseLock lock(files);
  const std::string& name = files.crt;
  CrtDocument crt = ReadCrt(ReadExistingFile(name));
  CheckResult result = CheckCrt(crt, codePage);
  bool errors = Report(name, result.diagnostics, true);
  std::string windows;
  if (!request.sources.empty()) windows = CheckWindows(request.sources, files, crt, codePage);
  PrintSummary(name + ": " + Counted(result.texts, "text") + ", " +
               std::to_string(result.translated) + " translated (" +
               Percentage(result.translated, result.texts) + ")" + windows);
  return errors ? 1 : 0;
}

int RunImport(const ImportRequest& request) {
  const BaseFiles files(request.base);
  const BaseLock lock(files);
  PoDocument po = ReadPo(ReadExistingFile(request.poFile));
  CodePage codePage = ImportCodePage(request, po);
  CrtDocument crt = ReadTranslatedFile(files.crt, true);
  CrtDocument obsolete = ReadTranslatedFile(files.obs);
  ImportResult result =
      ImportPo(crt, obsolete, po, codePage,
               {request.includeFuzzy, request.takeUnmatched, files.crt, files.obs});
  if (Report(request.poFile, result.diagnostics)) return 1;
  if (result.taken > 0 || result.obsoleteChanged) WriteImported(crt, obsolete, result, files);
  PrintSummary(files.crt + ": " + Counted(result.taken, "translation") + " taken, " +
               std::to_string(result.unchanged) + " unchanged" +
               LeftOut(result.setAside, "set aside in " + files.obs) +
               LeftOut(result.fuzzyLeftOut, "fuzzy left out") +
               LeftOut(result.pluralLeftOut, "plural left out"));
  return 0;
}
