// The rules a translated CRT file must meet before a release: errors where the program would
// not compile or would show garbage, warnings where a translation likely went wrong.
#pragma once

#include <cstddef>
#include <vector>

#include "translation/code_page.h"
#include "translation/crt_reader.h"
#include "translation/diagnostic.h"

struct CheckResult {
  std::vector<Diagnostic> diagnostics;  // in line order
  std::size_t texts = 0;
  std::size_t translated = 0;  // texts whose translation is not empty
};

// Errors: the structure errors, an Items count that differs from the number of texts (or no
// Items line), a translation that is not well-formed literal content. Warnings, for translations
// that are not empty: a different number of & accelerators (&& is a plain ampersand), different
// control characters (codes or tabs), different leading or trailing blanks, a different final
// ':', '...' or '?', more than 255 characters; a text listed twice; and a text or translation
// that looks written in UTF-8 rather than in `codePage`.
CheckResult CheckCrt(const CrtDocument& crt, const CodePage& codePage);

// The most characters a PSTRING holds.
constexpr std::size_t kMaxPstringLength = 255;
