// A problem found in a file a person edited or another tool wrote, tied to its line, in the form
// compilers and msgfmt print so that editors and CI logs link it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class Severity { kError, kWarning };

struct Diagnostic {
  std::size_t line;  // 1-based; 0 stands for the file as a whole
  Severity severity;
  std::string message;     // lower-case start, no final period
  std::size_t column = 0;  // 1-based byte column; 0 when the whole line is meant
};

// "FILE:LINE: error: MESSAGE", "FILE:LINE:COLUMN: warning: MESSAGE", or "FILE: error: MESSAGE"
// for line 0; no trailing newline.
std::string FormatDiagnostic(std::string_view file, const Diagnostic& diagnostic);

// User text for a message: in single quotes, cut after 40 bytes.
std::string Quoted(std::string_view text);

// "1 text", "2 texts": the count and the noun, with an "s" unless the count is 1.
std::string Counted(std::size_t count, std::string_view noun);

bool HasErrors(const std::vector<Diagnostic>& diagnostics);

// Sorts by line and column, keeping the order of diagnostics on the same spot.
void SortByLine(std::vector<Diagnostic>& diagnostics);
