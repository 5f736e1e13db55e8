#include "scan/scanner.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "catalogue/catalogue.h"
#include "common/ascii.h"
#include "common/settings.h"
#include "scan/text_file.h"

namespace {

// Lines whose code part (the text before the first literal) holds one of these are program
// matter. The first group is matched exactly as written, the second after upper-casing.
constexpr std::string_view kExactSkipKeywords[] = {
    ".SetFilter(", ".Fetch(",  "INIMgr.", ".AddKey(",
    "MEMBER(",     "INCLUDE(", "MODULE(", "FILE,DRIVER(",
};
constexpr std::string_view kUpperSkipKeywords[] = {"GETINI", "PUTINI"};
// In messages-only mode a line is scanned only when its upper-cased code part holds this.
constexpr std::string_view kMessageKeyword = " MESSAGE";
// A literal right after one of these is an attribute value (help id, font, icon, picture file):
// it and the rest of its line are dropped.
constexpr std::string_view kAttributeKeywords[] = {"HLP(", "FONT(", "ICON(", "WALLPAPER("};

template <std::size_t N>
bool ContainsAny(std::string_view text, const std::string_view (&keywords)[N]) {
  for (std::string_view keyword : keywords) {
    if (text.find(keyword) != std::string_view::npos) return true;
  }
  return false;
}

// Whether `keyword` (in upper case) occurs in `text` once the text is upper-cased.
bool ContainsUpperCased(std::string_view text, std::string_view keyword) {
  auto sameUpperCased = [](char c, char upper) { return UpperAscii(c) == upper; };
  return std::search(text.begin(), text.end(), keyword.begin(), keyword.end(), sameUpperCased) !=
         text.end();
}

// Whether the line's code part marks it as one to skip. It is compared in place, so a code part
// of any length is safe.
bool IsSkippedLine(const char* line, std::size_t codeLength) {
  std::string_view code(line, codeLength);
  if (ContainsAny(code, kExactSkipKeywords)) return true;
  for (std::string_view keyword : kUpperSkipKeywords) {
    if (ContainsUpperCased(code, keyword)) return true;
  }
  return Settings.messagesOnly && !ContainsUpperCased(code, kMessageKeyword);
}

// A keyword counts only when at least one character stands before it on the line.
bool FollowsAttributeKeyword(const char* line, std::size_t quote) {
  for (std::string_view keyword : kAttributeKeywords) {
    if (quote > keyword.size() &&
        std::string_view(line + quote - keyword.size(), keyword.size()) == keyword) {
      return true;
    }
  }
  return false;
}

// Offers the tilde-delimited pieces of a literal's content: each runs from a tilde to the next
// tilde or to the end; after a piece, the search goes on after its closing tilde.
void AddTildePieces(std::string_view content, std::size_t tilde) {
  while (tilde != std::string_view::npos) {
    std::size_t start = tilde + 1;
    std::size_t end = content.find('~', start);
    AddText(content.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return;
    tilde = content.find('~', end + 1);
  }
}

bool IsScannable(const char* fileName) {
  // Only regular files are read: opening a named pipe or a device could hang the run.
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(fileName), error);
}

}  // namespace

std::size_t ExtractLiteral(const char* line, std::size_t quote) {
  std::size_t position = quote + 1;
  for (;;) {
    if (line[position] == '\0') break;  // not closed on this line: runs to its end
    if (line[position] == '\'') {
      if (line[position + 1] != '\'') break;
      position += 2;  // a doubled quote stays in the content
      continue;
    }
    ++position;
  }
  std::string_view content(line + quote + 1, position - quote - 1);
  std::size_t next = line[position] == '\0' ? position : position + 1;

  if (content.empty() || content.front() == '~' || !IsWordlike(content)) return next;
  std::size_t tilde = content.find('~');
  if (tilde == std::string_view::npos) {
    AddText(content);
  } else {
    AddTildePieces(content, tilde);
  }
  return next;
}

void ScanLine(const char* line) {
  const char* firstQuote = std::strchr(line, '\'');
  if (firstQuote == nullptr) return;
  if (IsSkippedLine(line, static_cast<std::size_t>(firstQuote - line))) return;

  std::size_t position = 0;
  for (;;) {
    const char* quote = std::strchr(line + position, '\'');
    const char* comment = std::strchr(line + position, '!');
    if (comment != nullptr && (quote == nullptr || comment < quote)) return;
    if (quote == nullptr) return;
    std::size_t quotePosition = static_cast<std::size_t>(quote - line);
    if (FollowsAttributeKeyword(line, quotePosition)) return;
    position = ExtractLiteral(line, quotePosition);
  }
}

void ScanFile(const char* fileName) {
  if (!IsScannable(fileName)) return;
  TextFile file;
  file.Open(fileName, "rt");
  char line[kLineSize];
  while (file.ReadLine(line, sizeof line)) ScanLine(line);
}
