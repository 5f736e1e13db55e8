#include "translation/diagnostic.h"

#include <algorithm>

std::string FormatDiagnostic(std::string_view file, const Diagnostic& diagnostic) {
  std::string formatted(file);
  if (diagnostic.line != 0) {
    formatted += ':' + std::to_string(diagnostic.line);
    if (diagnostic.column != 0) formatted += ':' + std::to_string(diagnostic.column);
  }
  formatted += diagnostic.severity == Severity::kError ? ": error: " : ": warning: ";
  formatted += diagnostic.message;
  return formatted;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kLongest = 40;
  std::string quoted = "'";
  quoted += text.substr(0, kLongest);
  quoted += text.size() > kLongest ? "...'" : "'";
  return quoted;
}

std::string Counted(std::size_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

bool HasErrors(const std::vector<Diagnostic>& diagnostics) {
  return std::any_of(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& diagnostic) {
    return diagnostic.severity == Severity::kError;
  });
}

void SortByLine(std::vector<Diagnostic>& diagnostics) {
  std::stable_sort(diagnostics.begin(), diagnostics.end(),
                   [](const Diagnostic& a, const Diagnostic& b) {
                     return a.line != b.line ? a.line < b.line : a.column < b.column;
                   });
}
