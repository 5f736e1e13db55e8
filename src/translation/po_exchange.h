// Trading a CRT file's translations through a PO file: the key each text gets there, the export
// of the pairs and the import of translations back, all as pure functions of the documents.
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

struct PoKeys {
  std::vector<std::optional<PoKey>> keys;  // per pair; none where the text does not convert
  std::vector<Diagnostic> errors;          // on CRT lines: bytes the code page does not define
};

// msgid: the characters the text stands for, in UTF-8. The first text with a given msgid has no
// msgctxt; a later one gets its text as the CRT holds it (which stays the same from release to
// release), and when that is taken too (the same text twice), " #2", " #3" and so on after it.
// An empty msgid always gets a msgctxt, since without one it would be the PO header.
PoKeys BuildPoKeys(const CrtDocument& crt, const CodePage& codePage);

struct ExportResult {
  std::string po;  // empty when there is any error
  std::size_t entries = 0;
  std::size_t translated = 0;
  std::vector<Diagnostic> diagnostics;  // on CRT lines, the structure errors among them
};

// One entry per pair, in order, with the translation decoded (empty where there is none).
ExportResult ExportPo(const CrtDocument& crt, const CodePage& codePage,
                      std::string_view projectName, const std::optional<std::string>& language,
                      std::string_view revisionDate);

struct ImportResult {
  std::vector<std::string> translations;  // per pair, in CRT notation; as written where unchanged
  std::size_t taken = 0;                  // pairs whose translation changed
  std::size_t unchanged = 0;              // the other pairs
  std::size_t notFound = 0;               // entries that match no text
  std::size_t fuzzyLeftOut = 0;           // fuzzy entries not taken
  std::vector<Diagnostic> diagnostics;    // on PO lines, the PO problems among them
  std::vector<Diagnostic> crtErrors;      // on CRT lines: texts the code page does not define
};

// Takes each entry's translation into the pair with its key. Left out: fuzzy entries (unless
// `includeFuzzy`), plural entries (a warning), entries that match no text (a warning), empty
// translations. A translation the code page cannot hold is an error. A pair changes only when
// the entry's characters differ from what its translation stands for, so importing what was
// just exported changes nothing. The CRT must be free of structure errors; when the diagnostics
// or crtErrors hold an error, nothing should be written.
ImportResult ImportPo(const CrtDocument& crt, const PoDocument& po, const CodePage& codePage,
                      bool includeFuzzy);
