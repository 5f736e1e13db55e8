// Trading a CRT file's translations through a PO file: the key each text gets there, the export
// of the pairs and the import of translations back, all as pure functions of the documents.
//
// A PO file holds the texts as translators read them (ToDisplayForm of the characters, in
// UTF-8), so that it holds no control character but tab and line feed and survives the tools
// translators use. Entries are told apart by msgid alone, since XLIFF and CSV
// conversions drop msgctxt.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "translation/code_page.h"
#include "translation/crt_reader.h"
#include "translation/diagnostic.h"
#include "translation/po_file.h"

struct PoKey {
  std::optional<std::string> context;
  std::string id;
  friend bool operator==(const PoKey&, const PoKey&) = default;
};

// The key of each pair; pairs with the same text (as written) share one. msgid: the text's
// display form. When an earlier text took that (texts that differ only in notation, such as
// <13,10> and <0Dh,0Ah>), the text as the CRT holds it (with the characters a display form
// shows as codes shown so), and when that is taken too, that with " #2", " #3"... after it.
// Only the empty text has a msgctxt (""), since an empty msgid is the PO header.
std::vector<PoKey> BuildPoKeys(const CrtDocument& crt, const CodePage& codePage);

// A text or translation of the CRT file as a PO file shows it: the display form of the
// characters it stands for, in UTF-8.
std::string PoDisplay(std::string_view content, const CodePage& codePage);

// A name for a PO file (a file name, a path, a word of the command line) in UTF-8: as it stands
// where it is valid UTF-8, as names are on Linux; else its bytes converted from the code page like
// the texts, as a Windows name is in the system's code page, a byte the code page leaves
// undefined included.
std::string PoName(std::string_view name, const CodePage& codePage);

struct ExportedEntries {
  std::vector<PoEntry> entries;         // one per text, in the order of first appearance
  std::vector<std::size_t> firstPairs;  // of each entry: its text's first pair
  std::size_t translated = 0;
  std::vector<Diagnostic> diagnostics;  // on CRT lines, the structure errors among them
};

// One entry per text in the order of first appearance, with its first translation that is not
// empty.
ExportedEntries ExportEntries(const CrtDocument& crt, const CodePage& codePage);

// The code page a PO file records that it was exported for, or none.
std::optional<std::string> RecordedCodePage(const PoDocument& po);

struct ImportOptions {
  bool includeFuzzy = false;
  bool takeUnmatched = false;            // take a file most of whose translations match no text
  std::string crtName = "the CRT file";  // for messages
  std::string obsName = "the OBS file";
};

struct ImportResult {
  std::vector<std::string> translations;  // per CRT pair, in CRT notation; as written if unchanged
  std::vector<CrtPair> obsolete;          // the OBS pairs afterwards, new ones last
  bool obsoleteChanged = false;
  std::size_t taken = 0;         // CRT pairs whose translation changed
  std::size_t unchanged = 0;     // the other CRT pairs
  std::size_t setAside = 0;      // entries whose translation is kept in the OBS
  std::size_t fuzzyLeftOut = 0;  // fuzzy entries with a translation, not taken
  std::size_t pluralLeftOut = 0;
  std::vector<Diagnostic> diagnostics;  // on PO lines, the PO problems among them
};

// Takes each entry's translation into every pair of the text with its key. Left out: fuzzy
// entries (unless `includeFuzzy`), plural entries (a warning), empty translations. An entry
// whose text is not in the CRT is kept in the OBS: its translation replaces the one there, or
// its text and translation are added (a warning either way), so that nothing a translator did
// is dropped. But when most of the translations to take (more than half, and more than
// kUnmatchedHandful) have a text in neither, the file likely belongs to another application:
// that is an error unless `takeUnmatched`. A translation (or a new OBS text) the code page cannot
// hold is an error, and so is one a PSTRING cannot hold; a translation that changes gets check's
// warnings. A pair
// changes only when the entry's characters differ from what its translation stands for, so
// importing what was just exported changes nothing. A PO file that records no code page may
// come from an older export, whose msgids held the characters themselves and whose msgctxt told
// texts apart: those are understood too. Both documents must be free of structure errors; when
// the diagnostics hold an error, nothing should be written.
constexpr std::size_t kUnmatchedHandful = 10;
ImportResult ImportPo(const CrtDocument& crt, const CrtDocument& obsolete, const PoDocument& po,
                      const CodePage& codePage, const ImportOptions& options);
