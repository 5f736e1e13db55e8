// Fuzzes the whole road of a text: arbitrary bytes as one source file through ScanFile (and so
// TextFile::ReadLine) into the catalogue, then OpenOutputs, WriteOutputs and CloseOutputs into a
// scratch directory. For every input it checks what must hold whatever the file holds: every
// collected text is wordlike, non-empty, unique, at most 999 characters long and free of LF and
// NUL; the catalogue, with and without messages-only mode, is the one the plain models of the
// reader and the scanner make; and the three outputs are byte for byte the ones the plain model
// of the writer makes of it; an observed scan hands its observer the same texts, with lines that
// never go back, and so does one that reads wrapped texts as the compiler does, the texts the
// models make then. The first line of the input also goes to ScanLine whole, however long it is.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"
#include "common/ascii.h"
#include "common/settings.h"
#include "fuzz_check.h"
#include "fuzz_files.h"
#include "output/outputs.h"
#include "outputs_model.h"
#include "scan/scanner.h"
#include "scanner_model.h"

namespace {

void ResetCatalogue(bool messagesOnly) {
  List.Clear();
  Index.Clear();
  Settings = RunSettings();
  Settings.messagesOnly = messagesOnly;
}

// The catalogue's texts, checked: each is non-empty, wordlike, unique, at most `longest`
// characters long, free of LF and NUL, and found by the index.
std::vector<std::string> CheckedCatalogue(std::size_t longest) {
  std::vector<std::string> texts;
  std::set<std::string_view> seen;
  for (TextListNode* node = List.First(); node != nullptr; node = List.Next()) {
    std::string_view text = node->text.view();
    FUZZ_CHECK(!text.empty());
    FUZZ_CHECK(text.size() <= longest);
    FUZZ_CHECK(text.find('\n') == std::string_view::npos);
    FUZZ_CHECK(text.find('\0') == std::string_view::npos);
    FUZZ_CHECK(fuzz::HasTwoAdjacentLetters(text));
    FUZZ_CHECK(seen.insert(text).second);
    FUZZ_CHECK(Index.Find(text) != nullptr);
    texts.emplace_back(text);
  }
  FUZZ_CHECK(List.Count() == texts.size());
  return texts;
}

std::vector<std::string> ScanIntoCatalogue(const std::filesystem::path& source, bool messagesOnly) {
  ResetCatalogue(messagesOnly);
  FUZZ_CHECK(ScanFile(source.c_str()));
  return CheckedCatalogue(kMaxLineLength);
}

// ScanLine on the input's first line taken whole, however long it is: ScanFile never hands it
// more than a buffer holds, but the scanner must not rely on that.
void CheckScanLine(std::string_view input) {
  std::string line(input.substr(0, input.find('\n')));
  ResetCatalogue(false);
  ScanLine(line.c_str());
  std::vector<std::string> offered;
  fuzz::OfferLine(line, false, offered);
  FUZZ_CHECK(CheckedCatalogue(line.size()) == fuzz::Catalogue(offered));
}

// The texts an observed scan hands its observer, the wordlike ones each once in the order they
// first come, with the lines they stand on: what the catalogue collects when none is set.
class Recorder : public ScanObserver {
 public:
  bool NeedsLines() const override { return true; }
  void OnText(std::string_view text, const TextPlace& place) override {
    FUZZ_CHECK(place.line >= 1 && place.line >= lastLine_);
    lastLine_ = place.line;
    if (IsWordlike(text) && seen_.insert(std::string(text)).second) texts.emplace_back(text);
  }

  std::vector<std::string> texts;

 private:
  std::set<std::string> seen_;
  std::size_t lastLine_ = 0;
};

std::vector<std::string> ScanObserved(const std::filesystem::path& source, bool asCompiled) {
  ResetCatalogue(false);
  Settings.wrappedAsCompiled = asCompiled;
  Recorder recorder;
  SetScanObserver(&recorder);
  bool read = ScanFile(source.c_str());
  SetScanObserver(nullptr);
  FUZZ_CHECK(read);
  FUZZ_CHECK(List.Count() == 0);
  return std::move(recorder.texts);
}

void CheckOutputs(const std::vector<std::string>& texts) {
  const std::filesystem::path& directory = fuzz::ScratchDirectory::Path();
  FUZZ_CHECK(SetOutputBaseName((directory / "out").c_str()));
  OpenOutputs();
  WriteOutputs();
  CloseOutputs();

  fuzz::OutputFiles expected = fuzz::ModelOutputs(texts);
  FUZZ_CHECK(fuzz::ReadFile(directory / "OUT.BAS") == expected.bas);
  FUZZ_CHECK(fuzz::ReadFile(directory / "OUT.CRT") == expected.crt);
  FUZZ_CHECK(fuzz::ReadFile(directory / "OUT.LST") == expected.lst);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path source = fuzz::ScratchDirectory::Path() / "SOURCE.CLW";
  fuzz::WriteFile(source, data, size);

  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(ScanIntoCatalogue(source, true) == fuzz::ModelScan(bytes, true, kLineSize));
  std::vector<std::string> texts = ScanIntoCatalogue(source, false);
  FUZZ_CHECK(texts == fuzz::ModelScan(bytes, false, kLineSize));

  CheckOutputs(texts);
  FUZZ_CHECK(ScanObserved(source, false) == texts);
  FUZZ_CHECK(ScanObserved(source, true) == fuzz::ModelScan(bytes, false, kLineSize, true));
  CheckScanLine(bytes);
  return 0;
}
