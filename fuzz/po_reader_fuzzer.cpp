// Fuzzes ReadPo with arbitrary bytes. Whatever reads without a problem must write back through
// WritePo to a file that reads as the same entries, and its translations, imported for texts
// that no CRT file holds, are kept as obsolete texts, each text once, where importing the same
// file again finds every one of them.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "translation/po_exchange.h"
#include "translation/po_file.h"

namespace {

bool SameEntry(const PoEntry& a, const PoEntry& b) {
  return a.context == b.context && a.id == b.id && a.translation == b.translation &&
         a.fuzzy == b.fuzzy && a.plural == b.plural && a.pluralId == b.pluralId &&
         a.pluralTranslations == b.pluralTranslations;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PoDocument po = ReadPo(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!po.problems.empty()) return 0;
  for (const PoEntry& entry : po.entries) {
    FUZZ_CHECK(entry.line > 0 && entry.translationLine >= entry.line);
    FUZZ_CHECK(entry.context || !entry.id.empty());  // that would be the header
  }

  PoHeader header;
  header.projectName = "FUZZ";
  header.revisionDate = "2024-05-01 12:00+0000";
  header.language = "de";
  header.codePage = "cp1252";
  PoDocument again = ReadPo(WritePo(header, po.entries));
  FUZZ_CHECK(again.problems.empty());
  FUZZ_CHECK(RecordedCodePage(again) == "cp1252");
  FUZZ_CHECK(again.entries.size() == po.entries.size());
  for (std::size_t i = 0; i < po.entries.size(); ++i) {
    FUZZ_CHECK(SameEntry(again.entries[i], po.entries[i]));
  }

  const CodePage codePage = *CodePage::Named("cp1252");
  ImportResult imported = ImportPo(CrtDocument{}, CrtDocument{}, po, codePage, {});
  if (HasErrors(imported.diagnostics)) return 0;
  std::set<std::string> texts;
  for (const CrtPair& pair : imported.obsolete) FUZZ_CHECK(texts.insert(pair.text).second);
  CrtDocument kept;
  kept.pairs = imported.obsolete;
  ImportResult twice = ImportPo(CrtDocument{}, kept, po, codePage, {});
  FUZZ_CHECK(!twice.obsoleteChanged && twice.setAside == imported.setAside);
  return 0;
}
