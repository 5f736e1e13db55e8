// `check`, `export` and `import`: the commands that read a translated CRT file as it stands.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "common/failure.h"
#include "lang/base_files.h"
#include "lang/commands.h"
#include "lang/file_set.h"
#include "lang/lang_error.h"
#include "output/outputs.h"
#include "platform/platform.h"
#include "scan/text_file.h"
#include "translation/check.h"
#include "translation/code_page.h"
#include "translation/po_exchange.h"
#include "translation/po_file.h"

namespace {

// Prints the diagnostics about `file`; true when one of them is an error.
bool Report(std::string_view file, const std::vector<Diagnostic>& diagnostics) {
  bool error = false;
  for (const Diagnostic& diagnostic : diagnostics) {
    PrintDiagnostic(file, diagnostic);
    error = error || diagnostic.severity == Severity::kError;
  }
  return error;
}

CodePage RequiredCodePage(const std::string& name) {
  std::optional<CodePage> codePage = CodePage::Named(name);
  if (!codePage) throw LangError(name, "this code page is not available on this system");
  return *codePage;
}

// A share of texts in per cent with one decimal, cut rather than rounded so that 100.0% means
// every text; nothing to translate counts as done.
std::string Percentage(std::size_t part, std::size_t whole) {
  std::size_t tenths = whole == 0 ? 1000 : part * 1000 / whole;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

// Writes `bytes` as the whole of `name`, replacing it only once it is completely written.
void ReplaceFile(const std::string& name, std::string_view bytes, const BaseFiles& files) {
  FileSet set(files.journal, name);
  std::string staged = set.Stage(name);
  std::FILE* file = std::fopen(staged.c_str(), "wb");
  if (file == nullptr) throw LangError(name, "cannot write: " + LastSystemError());
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fclose(file) == 0 && written;
  if (!written) throw LangError(name, "cannot write: " + LastSystemError());
  set.Commit();
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

// The text of each pair as the BAS file shows it. It differs from the CRT file's only where
// quotex wrote a tab for a text's first "<9>" (a "~" in the BAS file), which the CRT file alone
// cannot tell from a tab of the source; so the old BAS line is taken where it agrees.
std::vector<std::string> BasTexts(const std::vector<CrtPair>& pairs, std::string_view oldBas) {
  std::vector<std::string> texts;
  for (const CrtPair& pair : pairs) {
    std::size_t lineEnd = oldBas.find("\r\n");
    std::string_view line = oldBas.substr(0, lineEnd);
    oldBas.remove_prefix(lineEnd == std::string_view::npos ? oldBas.size() : lineEnd + 2);
    texts.push_back(BasTextOf(pair.text, line));
  }
  return texts;
}

// Writes the BAS file to match the CRT file's pairs.
void WriteBas(const std::string& staged, const std::string& basName,
              const std::vector<CrtPair>& pairs) {
  std::string oldBas;
  ReadFileIfPresent(basName, oldBas);
  std::vector<std::string> basTexts = BasTexts(pairs, oldBas);
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

// Writes the CRT file with its new translations, and the BAS file to match, replacing both
// together.
void WriteImported(const CrtDocument& crt, const std::vector<std::string>& translations,
                   const BaseFiles& files) {
  std::vector<CrtPair> pairs = crt.pairs;
  for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i].translation = translations[i];
  FileSet set(files.journal, files.crt);
  WriteBas(set.Stage(files.bas), files.bas, pairs);
  WritePairs(set.Stage(files.crt), files.crt, pairs, crt.header);
  set.Commit();
}

}  // namespace

int RunCheck(const CheckRequest& request) {
  const BaseFiles files(request.base);
  RecoverBase(files);
  const std::string& name = files.crt;
  CheckResult result = CheckCrt(ReadCrt(ReadExistingFile(name)));
  bool errors = Report(name, result.diagnostics);
  PrintSummary(name + ": " + std::to_string(result.texts) + " texts, " +
               std::to_string(result.translated) + " translated (" +
               Percentage(result.translated, result.texts) + ")");
  return errors ? 1 : 0;
}

int RunExport(const ExportRequest& request) {
  CodePage codePage = RequiredCodePage(request.charset);
  const BaseFiles files(request.base);
  RecoverBase(files);
  const std::string& crtName = files.crt;
  CrtDocument crt = ReadTranslatedFile(crtName, true);
  std::string poName = request.output.empty() ? files.po : request.output;
  std::optional<std::string> language;
  if (!request.language.empty()) language = request.language;
  ExportResult result =
      ExportPo(crt, codePage, ProjectName(request.base), language, ModificationTime(crtName));
  if (Report(crtName, result.diagnostics)) return 1;
  ReplaceFile(poName, result.po, files);
  PrintSummary(poName + ": " + std::to_string(result.entries) + " texts, " +
               std::to_string(result.translated) + " translated");
  return 0;
}

int RunImport(const ImportRequest& request) {
  CodePage codePage = RequiredCodePage(request.charset);
  const BaseFiles files(request.base);
  RecoverBase(files);
  PoDocument po = ReadPo(ReadExistingFile(request.poFile));
  const std::string& crtName = files.crt;
  CrtDocument crt = ReadTranslatedFile(crtName, true);
  ImportResult result = ImportPo(crt, po, codePage, request.includeFuzzy);
  bool errors = Report(crtName, result.crtErrors);
  if (Report(request.poFile, result.diagnostics) || errors) return 1;
  if (result.taken > 0) WriteImported(crt, result.translations, files);
  PrintSummary(crtName + ": " + std::to_string(result.taken) + " translations taken, " +
               std::to_string(result.unchanged) + " unchanged, " + std::to_string(result.notFound) +
               " not found");
  return 0;
}
