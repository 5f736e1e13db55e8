// A plain model of what TextFile::ReadLine delivers, for the fuzz targets to check the program
// against: the text-mode translation applied to the whole file, physical lines cut into pieces
// that fit the buffer, and each continued literal joined the recursive way, innermost line
// first, every level cut to the buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"

namespace fuzz {

inline constexpr std::string_view kMarker = "' &|";

// CR LF reads as LF, a lone CR stays, and 0x1A ends the file.
FUZZ_MODEL inline std::string TextModeBytes(std::string_view bytes) {
  std::string translated;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    translated += bytes[i];
  }
  return translated;
}

// The physical lines of a translated file as the standard line-reading call delivers them into
// a buffer of `size` bytes: pieces of at most size-1 characters, each cut at its LF and at its
// first NUL.
FUZZ_MODEL inline std::vector<std::string> PhysicalLines(std::string_view text, std::size_t size) {
  std::vector<std::string> lines;
  for (std::size_t position = 0; position < text.size();) {
    std::size_t length = std::min(size - 1, text.size() - position);
    std::size_t lineFeed = text.substr(position, length).find('\n');
    if (lineFeed != std::string_view::npos) length = lineFeed + 1;
    std::string_view piece = text.substr(position, length);
    position += length;
    piece = piece.substr(0, piece.find('\0'));
    if (!piece.empty() && piece.back() == '\n') piece.remove_suffix(1);
    lines.emplace_back(piece);
  }
  return lines;
}

inline bool IsContinued(std::string_view line) {
  return line.size() > 10 && line.ends_with(kMarker);
}

// Joins a chain of lines, each but the last already cut at its marker, into one logical line of
// a buffer of `size` bytes: each line followed by what comes after the first quote of the
// logical line that the rest of the chain makes, cut to the buffer.
FUZZ_MODEL inline std::string JoinCutLines(const std::vector<std::string>& lines,
                                           std::size_t size) {
  std::string joined = lines.back();
  for (std::size_t i = lines.size() - 1; i-- > 0;) {
    std::size_t quote = joined.find('\'');
    std::string outer = lines[i];
    if (quote != std::string::npos) outer += joined.substr(quote + 1);
    joined = outer.substr(0, size - 1);
  }
  return joined;
}

// Folds a chain of physical lines (each but the last continued) into one logical line.
FUZZ_MODEL inline std::string JoinChain(const std::vector<std::string>& lines, std::size_t first,
                                        std::size_t last, std::size_t size) {
  std::vector<std::string> cut;
  for (std::size_t i = first; i <= last; ++i) {
    std::string_view line = lines[i];
    cut.emplace_back(IsContinued(line) ? line.substr(0, line.size() - kMarker.size()) : line);
  }
  return JoinCutLines(cut, size);
}

// The logical lines of a file read into a buffer of `size` bytes.
FUZZ_MODEL inline std::vector<std::string> ModelLogicalLines(std::string_view bytes,
                                                             std::size_t size) {
  std::vector<std::string> physical = PhysicalLines(TextModeBytes(bytes), size);
  std::vector<std::string> logical;
  for (std::size_t first = 0; first < physical.size();) {
    std::size_t last = first;
    while (IsContinued(physical[last]) && last + 1 < physical.size()) ++last;
    logical.push_back(JoinChain(physical, first, last, size));
    first = last + 1;
  }
  return logical;
}

// Wrapped texts joined as the compiler joins them, for lines that hold no limit: a physical line
// with its literals linked on it ('a' & 'b') made one, where the rest of the line is `line` and
// `inLiteral` tells whether it starts inside a literal. `wrap` gets where the closing quote of a
// last literal followed by a line break stands in the result (npos: there is none), and
// `ampersand` whether its '&' came before the break.
struct CompiledLine {
  std::string text;
  std::size_t wrap = std::string::npos;
  bool ampersand = false;
};

inline std::size_t AfterBlanks(std::string_view line, std::size_t at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at;
}

FUZZ_MODEL inline CompiledLine JoinOnLine(std::string_view line, bool inLiteral) {
  CompiledLine joined;
  for (std::size_t i = 0; i < line.size();) {
    char c = line[i];
    if (!inLiteral && c == '!') {
      joined.text += line.substr(i);
      break;
    }
    if (c != '\'') {
      joined.text += c;
      ++i;
      continue;
    }
    if (!inLiteral || (i + 1 < line.size() && line[i + 1] == '\'')) {
      joined.text += line.substr(i, inLiteral ? 2 : 1);
      i += inLiteral ? 2 : 1;
      inLiteral = true;
      continue;
    }
    std::size_t next = AfterBlanks(line, i + 1);
    bool ampersand = next < line.size() && line[next] == '&';
    if (ampersand) next = AfterBlanks(line, next + 1);
    if (ampersand && next < line.size() && line[next] == '\'') {
      i = next + 1;
      continue;
    }
    if (next < line.size() && line[next] == '|') {
      std::size_t after = AfterBlanks(line, next + 1);
      if (after == line.size() || line[after] == '!') {
        joined.wrap = joined.text.size();
        joined.ampersand = ampersand;
        joined.text += line.substr(i);
        break;
      }
    }
    joined.text += c;
    ++i;
    inLiteral = false;
  }
  return joined;
}

// The logical lines of a file read as the compiler joins wrapped texts, into a buffer of `size`
// bytes: each line whole, every text joined on, and only then cut to the buffer.
FUZZ_MODEL inline std::vector<std::string> ModelCompiledLines(std::string_view bytes,
                                                              std::size_t size) {
  std::vector<std::string> physical = PhysicalLines(TextModeBytes(bytes), size);
  std::vector<std::string> logical;
  for (std::size_t next = 0; next < physical.size();) {
    CompiledLine line = JoinOnLine(physical[next++], false);
    while (line.wrap != std::string::npos && next < physical.size()) {
      std::string_view continued = physical[next];
      std::size_t quote = AfterBlanks(continued, 0);
      if (!line.ampersand && quote < continued.size() && continued[quote] == '&') {
        quote = AfterBlanks(continued, quote + 1);
      } else if (!line.ampersand) {
        break;
      }
      if (quote == continued.size() || continued[quote] != '\'') break;
      CompiledLine rest = JoinOnLine(continued.substr(quote + 1), true);
      line.text.resize(line.wrap);
      line.wrap = rest.wrap == std::string::npos ? rest.wrap : line.text.size() + rest.wrap;
      line.ampersand = rest.ampersand;
      line.text += rest.text;
      ++next;
    }
    logical.push_back(line.text.substr(0, size - 1));
  }
  return logical;
}

}  // namespace fuzz
