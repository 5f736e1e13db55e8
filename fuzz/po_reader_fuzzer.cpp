// Fuzzes ReadPo with arbitrary bytes. Whatever reads without a problem must write back through
// WritePo to a file that reads as the same entries.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
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

  PoDocument again = ReadPo(WritePo({"FUZZ", "2024-05-01 12:00+0000", "de"}, po.entries));
  FUZZ_CHECK(again.problems.empty());
  FUZZ_CHECK(again.entries.size() == po.entries.size());
  for (std::size_t i = 0; i < po.entries.size(); ++i) {
    FUZZ_CHECK(SameEntry(again.entries[i], po.entries[i]));
  }
  return 0;
}
