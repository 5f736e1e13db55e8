// Fuzzes ReadCrt (and the check over what it reads) with arbitrary bytes. Whatever reads as the
// group's lines must write back through the output writer to a file that reads as the same
// pairs, and whatever a command takes as it stands must export to a PO file that imports back
// without a change, whatever bytes the code page leaves undefined.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "fuzz_files.h"
#include "output/outputs.h"
#include "scan/text_file.h"
#include "translation/check.h"
#include "translation/crt_reader.h"
#include "translation/po_exchange.h"

namespace {

void CheckLines(const CrtDocument& crt) {
  std::size_t previous = crt.itemsLine;
  for (const CrtPair& pair : crt.pairs) {
    FUZZ_CHECK(previous < pair.textLine && pair.textLine < pair.translationLine);
    FUZZ_CHECK(pair.textColumn > 0 && pair.translationColumn > 0);
    previous = pair.translationLine;
  }
}

std::string WrittenBack(const CrtDocument& crt) {
  const std::filesystem::path file = fuzz::ScratchDirectory::Path() / "TEXTS.CRT";
  TextFile crtFile;
  crtFile.Open(file.c_str(), "wt");
  FUZZ_CHECK(crtFile.IsOpen());
  WriteCrtHeader(crtFile, crt.pairs.size());
  for (const CrtPair& pair : crt.pairs) WriteCrtPair(crtFile, pair.text, pair.translation);
  WriteCrtEnd(crtFile);
  FUZZ_CHECK(crtFile.Close());
  return fuzz::ReadFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CrtDocument crt = ReadCrt(std::string_view(reinterpret_cast<const char*>(data), size));
  CheckLines(crt);
  const CodePage codePage = *CodePage::Named("cp1252");
  CheckResult check = CheckCrt(crt, codePage);
  FUZZ_CHECK(check.texts == crt.pairs.size() && check.translated <= check.texts);
  if (!crt.structureErrors.empty()) return 0;

  CrtDocument again = ReadCrt(WrittenBack(crt));
  FUZZ_CHECK(again.structureErrors.empty());
  FUZZ_CHECK(again.itemsCount == crt.pairs.size());
  FUZZ_CHECK(again.pairs.size() == crt.pairs.size());
  for (std::size_t i = 0; i < crt.pairs.size(); ++i) {
    FUZZ_CHECK(again.pairs[i].text == crt.pairs[i].text);
    FUZZ_CHECK(again.pairs[i].translation == crt.pairs[i].translation);
  }
  if (!PairingErrors(crt).empty()) return 0;

  ExportedEntries exported = ExportEntries(crt, codePage);
  FUZZ_CHECK(!HasErrors(exported.diagnostics));
  PoHeader header;
  header.codePage = codePage.Name();
  ImportResult imported =
      ImportPo(crt, CrtDocument{}, ReadPo(WritePo(header, exported.entries)), codePage, {});
  FUZZ_CHECK(imported.diagnostics.empty());
  FUZZ_CHECK(imported.taken == 0 && imported.setAside == 0 && !imported.obsoleteChanged);
  return 0;
}
