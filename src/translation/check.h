// The rules a translated CRT file must meet before a release: errors where the program would
// not compile or would show garbage, warnings where a translation likely went wrong.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "translation/code_page.h"
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

// The errors of CheckCrt about translations themselves: each that is not well-formed literal
// content (a lone quote, a '<' that opens no code), at the column where it goes wrong.
std::vector<Diagnostic> TranslationErrors(const CrtDocument& crt);

// Errors: the pairing errors, a translation that is not well-formed literal content. Warnings,
// for translations that are not empty: a different number of & accelerators (&& is a plain
// ampersand), different control characters (codes or tabs), different leading or trailing blanks,
// a different final ':', '...' or '?', more than 255 characters; and a text listed twice with
// the same translation (or one of them empty); and a text or translation that looks written in
// UTF-8 rather than in `codePage`.
CheckResult CheckCrt(const CrtDocument& crt, const CodePage& codePage);

// The most characters a PSTRING holds.
constexpr std::size_t kMaxPstringLength = 255;

// The warnings of CheckCrt about a translation that is not empty, the length aside, given the
// characters it and its text stand for: "translation has 2 '&' accelerators, its text 1" and the
// like.
std::vector<std::string> TranslationWarnings(std::string_view text, std::string_view translation);

// What is wrong with a translation of these characters for a PSTRING, or nothing: more than
// kMaxPstringLength of them.
std::string LengthProblem(std::string_view translation);
