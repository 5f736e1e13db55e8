// A plain model of the line filter and literal extraction, for the fuzz targets and the tests to
// check the scanner against: the texts that a run offers to the catalogue, found by searching
// each line afresh for every rule (with the scanner's own keyword table), and the catalogue they
// make.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "reader_model.h"
#include "scan/keywords.h"

namespace fuzz {

FUZZ_MODEL inline bool HasTwoAdjacentLetters(std::string_view text) {
  auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (isLetter(text[i - 1]) && isLetter(text[i])) return true;
  }
  return false;
}

FUZZ_MODEL inline bool IsSkippedCode(std::string_view code, bool messagesOnly) {
  for (std::string_view keyword : kExactSkipKeywords) {
    if (code.find(keyword) != std::string_view::npos) return true;
  }
  std::string upper(code);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  for (std::string_view keyword : kAnyCaseSkipKeywords) {
    if (upper.find(keyword) != std::string::npos) return true;
  }
  return messagesOnly && upper.find(kMessageKeyword) == std::string::npos;
}

FUZZ_MODEL inline bool FollowsAttribute(std::string_view line, std::size_t quote) {
  for (std::string_view keyword : kAttributeKeywords) {
    if (quote > keyword.size() && line.substr(quote - keyword.size(), keyword.size()) == keyword) {
      return true;
    }
  }
  return false;
}

// Offers the texts of the literal whose opening quote is at `quote`; returns where the scan
// goes on. A literal that is not closed runs to the end of the line.
FUZZ_MODEL inline std::size_t OfferLiteral(std::string_view line, std::size_t quote,
                                           std::vector<std::string>& offered) {
  std::size_t close = quote + 1;
  while (close < line.size() &&
         !(line[close] == '\'' && (close + 1 == line.size() || line[close + 1] != '\''))) {
    close += line[close] == '\'' ? 2 : 1;
  }
  std::string_view content = line.substr(quote + 1, close - quote - 1);
  std::size_t next = std::min(close + 1, line.size());
  if (content.empty() || content.front() == '~' || !HasTwoAdjacentLetters(content)) return next;
  std::size_t tilde = content.find('~');
  if (tilde == std::string_view::npos) offered.emplace_back(content);
  while (tilde != std::string_view::npos) {
    std::size_t end = content.find('~', tilde + 1);
    offered.emplace_back(
        content.substr(tilde + 1, end == std::string_view::npos ? end : end - tilde - 1));
    tilde = end == std::string_view::npos ? end : content.find('~', end + 1);
  }
  return next;
}

// Offers the texts of one line (its text ends at its first NUL).
FUZZ_MODEL inline void OfferLine(std::string_view line, bool messagesOnly,
                                 std::vector<std::string>& offered) {
  line = line.substr(0, line.find('\0'));
  std::size_t firstQuote = line.find('\'');
  if (firstQuote == std::string_view::npos) return;
  if (IsSkippedCode(line.substr(0, firstQuote), messagesOnly)) return;
  for (std::size_t position = 0;;) {
    std::size_t quote = line.find('\'', position);
    std::size_t comment = line.find('!', position);
    if (comment < quote || quote == std::string_view::npos) return;
    if (FollowsAttribute(line, quote)) return;
    position = OfferLiteral(line, quote, offered);
  }
}

// The catalogue that the offered texts make: each wordlike text once, first occurrence first.
FUZZ_MODEL inline std::vector<std::string> Catalogue(const std::vector<std::string>& offered) {
  std::vector<std::string> texts;
  std::set<std::string> seen;
  for (const std::string& text : offered) {
    if (HasTwoAdjacentLetters(text) && seen.insert(text).second) texts.push_back(text);
  }
  return texts;
}

// The catalogue that scanning a whole file makes, its lines joined as quotex joins them or as
// the compiler does.
FUZZ_MODEL inline std::vector<std::string> ModelScan(std::string_view bytes, bool messagesOnly,
                                                     std::size_t bufferSize,
                                                     bool asCompiled = false) {
  std::vector<std::string> offered;
  for (const std::string& line : asCompiled ? ModelCompiledLines(bytes, bufferSize)
                                            : ModelLogicalLines(bytes, bufferSize)) {
    OfferLine(line, messagesOnly, offered);
  }
  return Catalogue(offered);
}

}  // namespace fuzz
