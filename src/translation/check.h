// The rules a translated CRT file must meet before a release: errors where the program would
// not compile or would show garbage, warnings where a translation likely went wrong.
#pragma once

#include <cstddef>
#include <vector>

#include "translation/crt_reader.h"
#include "translation/diagnostic.h"

struct CheckResult {
  std::vector<Diagnostic> diagnostics;  // in line order
  std::size_t texts = 0;
  std::size_t translated = 0;  // texts whose translation is not empty
};

// What keeps the pairs of a file from being taken as they stand by a command that rewrites it or
// hands them on: the structure errors; an Items count that differs from the number of pairs, or
// none (a line deleted or added by hand pairs texts with the wrong translations); a text listed
// twice with two different translations (which one is meant cannot be told). In line order.
std::vector<Diagnostic> PairingErrors(const CrtDocument& crt);

// Errors: the pairing errors, a translation that is not well-formed literal content. Warnings,
// for translations that are not empty: a different number of & accelerators (&& is a plain
// ampersand), different control characters (codes or tabs), different leading or trailing blanks,
// a different final ':', '...' or '?', more than 255 characters; and a text listed twice with
// the same translation (or one of them empty).
CheckResult CheckCrt(const CrtDocument& crt);

// The most characters a PSTRING holds.
constexpr std::size_t kMaxPstringLength = 255;
