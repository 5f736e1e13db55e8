#include "scan/scanner.h"

#include <array>
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

// Whether `keyword` stands in `text` just before position `end`, compared as written. Compared
// from the end, where the keywords that share their last character differ soonest.
bool EndsAt(std::string_view text, std::size_t end, std::string_view keyword) {
  if (end < keyword.size()) return false;
  const char* last = text.data() + end - 1;
  for (std::size_t i = 1; i <= keyword.size(); ++i) {
    if (last[1 - i] != keyword[keyword.size() - i]) return false;
  }
  return true;
}

// The same, comparing the upper-cased text with an upper-case keyword.
bool EndsAtUpperCased(std::string_view text, std::size_t end, std::string_view keyword) {
  if (end < keyword.size()) return false;
  const char* last = text.data() + end - 1;
  for (std::size_t i = 1; i <= keyword.size(); ++i) {
    if (UpperAscii(last[1 - i]) != keyword[keyword.size() - i]) return false;
  }
  return true;
}

template <std::size_t N>
bool AnyEndsAt(std::string_view text, std::size_t end, const std::string_view (&keywords)[N]) {
  for (std::string_view keyword : keywords) {
    if (EndsAt(text, end, keyword)) return true;
  }
  return false;
}

template <std::size_t N>
bool AnyEndsAtUpperCased(std::string_view text, std::size_t end,
                         const std::string_view (&keywords)[N]) {
  for (std::string_view keyword : keywords) {
    if (EndsAtUpperCased(text, end, keyword)) return true;
  }
  return false;
}

// The code part is walked once, and a group of keywords is tested only where a character stands
// that ends one of them (in either case for the upper-cased tests).
enum KeywordGroup : unsigned char { kExactSkip = 1, kUpperSkip = 2, kMessage = 4 };
constexpr std::array<unsigned char, 256> kKeywordEnds = [] {
  std::array<unsigned char, 256> ends{};
  auto mark = [&ends](char c, KeywordGroup group) { ends[static_cast<unsigned char>(c)] |= group; };
  auto markBothCases = [&mark](char upper, KeywordGroup group) {
    mark(upper, group);
    mark(static_cast<char>(upper - 'A' + 'a'), group);
  };
  for (std::string_view keyword : kExactSkipKeywords) mark(keyword.back(), kExactSkip);
  for (std::string_view keyword : kUpperSkipKeywords) markBothCases(keyword.back(), kUpperSkip);
  markBothCases(kMessageKeyword.back(), kMessage);
  return ends;
}();

// Whether the line's code part marks it as one to skip.
bool IsSkippedLine(const char* line, std::size_t codeLength) {
  std::string_view code(line, codeLength);
  bool messageWanted = Settings.messagesOnly;
  for (std::size_t end = 1; end <= codeLength; ++end) {
    unsigned char groups = kKeywordEnds[static_cast<unsigned char>(code[end - 1])];
    if (groups == 0) continue;
    if ((groups & kExactSkip) && AnyEndsAt(code, end, kExactSkipKeywords)) return true;
    if ((groups & kUpperSkip) && AnyEndsAtUpperCased(code, end, kUpperSkipKeywords)) return true;
    if ((groups & kMessage) && messageWanted) {
      messageWanted = !EndsAtUpperCased(code, end, kMessageKeyword);
    }
  }
  return messageWanted;
}

template <std::size_t N>
constexpr bool AllEndInParenthesis(const std::string_view (&keywords)[N]) {
  for (std::string_view keyword : keywords) {
    if (keyword.back() != '(') return false;
  }
  return true;
}
static_assert(AllEndInParenthesis(kAttributeKeywords));

// A keyword counts only when at least one character stands before it on the line.
bool FollowsAttributeKeyword(const char* line, std::size_t quote) {
  if (quote == 0 || line[quote - 1] != '(') return false;
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
  const char* quote = std::strchr(line, '\'');
  if (quote == nullptr) return;
  if (IsSkippedLine(line, static_cast<std::size_t>(quote - line))) return;

  // The first comment mark at or after the scan position; found again only once the scan has
  // passed it, inside a literal.
  const char* comment = std::strchr(line, '!');
  for (;;) {
    if (comment != nullptr && (quote == nullptr || comment < quote)) return;
    if (quote == nullptr) return;
    std::size_t quotePosition = static_cast<std::size_t>(quote - line);
    if (FollowsAttributeKeyword(line, quotePosition)) return;
    const char* next = line + ExtractLiteral(line, quotePosition);
    quote = std::strchr(next, '\'');
    if (comment != nullptr && comment < next) comment = std::strchr(next, '!');
  }
}

void ScanFile(const char* fileName) {
  if (!IsScannable(fileName)) return;
  TextFile file;
  file.Open(fileName, "rt");
  char line[kLineSize];
  // A line without a quote yields nothing, and most lines of a source have none: they are
  // passed over in the read block without being delivered.
  for (;;) {
    file.SkipLinesWithout('\'');
    if (!file.ReadLine(line, sizeof line)) return;
    ScanLine(line);
  }
}
