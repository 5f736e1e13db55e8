#include "translation/crt_reader.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "common/ascii.h"
#include "translation/utf8.h"

namespace {

// Counts grow no further while digits are read, so that reading cannot overflow.
constexpr std::size_t kSaturatedCount = std::numeric_limits<std::size_t>::max() / 16;

// What one line of the file is.
struct CrtLine {
  enum class Kind { kBlank, kGroup, kItems, kPstring, kEnd, kOther } kind = Kind::kBlank;
  std::size_t count = 0;        // kItems: the USHORT's value
  std::string_view label;       // kGroup, kItems: the label in column 1
  std::string_view attributes;  // kGroup: what follows GROUP, without a comment
  std::string_view content;     // kPstring: between the quotes
  std::size_t contentColumn = 0;
  std::string message;  // kOther: why it is none of the group's lines
};

CrtLine LineOf(CrtLine::Kind kind) {
  CrtLine line;
  line.kind = kind;
  return line;
}

bool IsLabelStart(char c) {
  return IsAsciiLetter(c) || c == '_';
}

bool IsLabelCharacter(char c) {
  return IsLabelStart(c) || IsAsciiDigit(c) || c == ':';
}

// Steps through one line token by token; a ! outside a string starts a comment, which ends the
// line's content.
class LineCursor {
 public:
  explicit LineCursor(std::string_view line, std::size_t at = 0) : line_(line), at_(at) {}

  std::size_t At() const { return at_; }
  void SkipBlanks() {
    while (at_ < line_.size() && IsBlank(line_[at_])) ++at_;
  }
  // True when only blanks and a comment are left.
  bool AtEnd() {
    SkipBlanks();
    return at_ == line_.size() || line_[at_] == '!';
  }
  bool Take(char c) {
    SkipBlanks();
    if (at_ == line_.size() || line_[at_] != c) return false;
    ++at_;
    return true;
  }
  // The word (a label or keyword) at the cursor, possibly empty.
  std::string_view Word() {
    SkipBlanks();
    std::size_t start = at_;
    if (at_ < line_.size() && IsLabelStart(line_[at_])) {
      while (at_ < line_.size() && IsLabelCharacter(line_[at_])) ++at_;
    }
    return line_.substr(start, at_ - start);
  }
  std::optional<std::size_t> Number() {
    SkipBlanks();
    std::size_t start = at_;
    std::size_t value = 0;
    while (at_ < line_.size() && IsAsciiDigit(line_[at_])) {
      value = std::min(value * 10 + static_cast<std::size_t>(line_[at_] - '0'), kSaturatedCount);
      ++at_;
    }
    if (at_ == start) return std::nullopt;
    return value;
  }

 private:
  std::string_view line_;
  std::size_t at_;
};

// True when what follows `at` is ")" with nothing after it but blanks and a comment.
bool ClosesDeclaration(std::string_view line, std::size_t at) {
  LineCursor tail(line, at);
  return tail.Take(')') && tail.AtEnd();
}

// The end of the string opened by the quote at `open`: the first closing quote (over doubled
// quotes) when a closing parenthesis follows it, else the last such quote of the line; npos
// when no quote qualifies.
std::size_t ClosingQuote(std::string_view line, std::size_t open) {
  std::size_t at = open + 1;
  for (;;) {
    std::size_t quote = line.find('\'', at);
    if (quote == std::string_view::npos) break;
    if (quote + 1 < line.size() && line[quote + 1] == '\'') {
      at = quote + 2;
      continue;
    }
    if (ClosesDeclaration(line, quote + 1)) return quote;
    break;
  }
  for (std::size_t quote = line.rfind('\''); quote > open; quote = line.rfind('\'', quote - 1)) {
    if (ClosesDeclaration(line, quote + 1)) return quote;
  }
  return std::string_view::npos;
}

CrtLine Other(std::string message) {
  CrtLine line = LineOf(CrtLine::Kind::kOther);
  line.message = std::move(message);
  return line;
}

CrtLine ReadPstring(std::string_view text, LineCursor& cursor) {
  if (!cursor.Take('(') || !cursor.Take('\'')) {
    return Other("PSTRING without its string: expected PSTRING('...')");
  }
  std::size_t open = cursor.At() - 1;
  std::size_t close = ClosingQuote(text, open);
  if (close == std::string_view::npos) {
    return Other("string without a closing quote followed by ')'");
  }
  CrtLine line = LineOf(CrtLine::Kind::kPstring);
  line.content = text.substr(open + 1, close - open - 1);
  line.contentColumn = open + 2;
  return line;
}

CrtLine ReadItems(LineCursor& cursor) {
  std::optional<std::size_t> count;
  if (!cursor.Take('(') || !(count = cursor.Number()) || !cursor.Take(')') || !cursor.AtEnd()) {
    return Other("USHORT without its count: expected USHORT(n)");
  }
  CrtLine line = LineOf(CrtLine::Kind::kItems);
  line.count = *count;
  return line;
}

// The attributes after a GROUP keyword that ends at `at`: the rest of the line without the blanks
// around it and without a comment (a ! outside a string).
std::string_view Attributes(std::string_view text, std::size_t at) {
  std::size_t end = at;
  bool inString = false;
  for (; end < text.size() && (inString || text[end] != '!'); ++end) {
    if (text[end] == '\'') inString = !inString;
  }
  std::string_view attributes = text.substr(at, end - at);
  while (!attributes.empty() && IsBlank(attributes.front())) attributes.remove_prefix(1);
  while (!attributes.empty() && IsBlank(attributes.back())) attributes.remove_suffix(1);
  return attributes;
}

// What one line is; `text` is without its line end.
CrtLine ClassifyLine(std::string_view text, std::size_t number) {
  if (text.find('\0') != std::string_view::npos) return Other("line holds a NUL byte");
  if (number == 1 && text.starts_with(kUtf8ByteOrderMark)) {
    return Other("the file starts with a UTF-8 byte order mark; a CRT file is code-page text");
  }
  LineCursor cursor(text);
  std::string_view label;
  if (!text.empty() && !IsBlank(text[0]) && text[0] != '!' && text[0] != '.') {
    label = cursor.Word();
    if (label.empty())
      return Other("not a line of the group: a label or blank in column 1 expected");
    if (SameIgnoringAsciiCase(label, "END")) {  // a reserved word, never a label
      label = {};
      cursor = LineCursor(text);
    }
  }
  if (cursor.AtEnd()) return label.empty() ? CrtLine{} : Other("label without a declaration");
  if (label.empty() && cursor.Take('.')) {
    return cursor.AtEnd() ? LineOf(CrtLine::Kind::kEnd) : Other("'.' with more after it");
  }
  std::string_view keyword = cursor.Word();
  if (SameIgnoringAsciiCase(keyword, "PSTRING")) return ReadPstring(text, cursor);
  if (SameIgnoringAsciiCase(keyword, "USHORT")) {
    CrtLine line = ReadItems(cursor);
    line.label = label;
    return line;
  }
  if (SameIgnoringAsciiCase(keyword, "GROUP")) {
    if (label.empty()) return Other("GROUP without its label in column 1");
    std::size_t attributes = cursor.At();
    if (cursor.AtEnd() || cursor.Take(',') || cursor.Take('(')) {
      CrtLine line = LineOf(CrtLine::Kind::kGroup);
      line.label = label;
      line.attributes = Attributes(text, attributes);
      return line;
    }
    return Other("GROUP followed by something other than attributes");
  }
  if (SameIgnoringAsciiCase(keyword, "END") && label.empty()) {
    return cursor.AtEnd() ? LineOf(CrtLine::Kind::kEnd) : Other("END with more after it");
  }
  for (std::string_view word : {"PSTRING", "USHORT", "GROUP"}) {
    if (SameIgnoringAsciiCase(label, word)) {
      return Other(Quoted(label) + " in column 1 is read as a label; indent the line");
    }
  }
  return Other("not a line of the group: expected PSTRING('...'), USHORT(n) or END");
}

// Puts the classified lines together into the group, noting what does not fit.
class GroupBuilder {
 public:
  void Take(const CrtLine& line, std::size_t number) {
    lastLine_ = number;
    if (line.kind == CrtLine::Kind::kBlank) return;
    if (ended_) {
      if (!afterEndReported_) Error(number, "line after END");
      afterEndReported_ = true;
      return;
    }
    if (line.kind == CrtLine::Kind::kOther) {
      Error(number, line.message);
      return;
    }
    if (line.kind != CrtLine::Kind::kGroup && document_.groupLine == 0 && !groupMissingReported_) {
      Error(number, "no LANGUAGE GROUP line before this line");
      groupMissingReported_ = true;
    }
    switch (line.kind) {
      case CrtLine::Kind::kGroup:
        TakeGroup(line, number);
        break;
      case CrtLine::Kind::kItems:
        TakeItems(line, number);
        break;
      case CrtLine::Kind::kPstring:
        TakePstring(line, number);
        break;
      case CrtLine::Kind::kEnd:
        ended_ = true;
        break;
      case CrtLine::Kind::kBlank:
      case CrtLine::Kind::kOther:
        break;
    }
    seenContent_ = true;
  }

  CrtDocument Finish() {
    if (pending_) Error(pending_->textLine, "text without its translation line");
    if (document_.groupLine == 0 && !groupMissingReported_) Error(0, "no LANGUAGE GROUP line");
    if (!ended_) Error(lastLine_, "no END line at the end of the group");
    SortByLine(document_.structureErrors);
    return std::move(document_);
  }

 private:
  void Error(std::size_t line, std::string message) {
    document_.structureErrors.push_back({line, Severity::kError, std::move(message)});
  }

  void TakeGroup(const CrtLine& line, std::size_t number) {
    if (seenContent_) {
      Error(number, "unexpected GROUP line: a group stands alone, at the start of the file");
      return;
    }
    document_.groupLine = number;
    document_.header.group = std::string(line.label) + " GROUP" + std::string(line.attributes);
  }

  void TakeItems(const CrtLine& line, std::size_t number) {
    if (document_.itemsLine != 0 || !document_.pairs.empty() || pending_) {
      Error(number, "unexpected USHORT line: the count stands right after the GROUP line");
      return;
    }
    document_.itemsLine = number;
    document_.itemsCount = line.count;
    document_.header.countLabel = line.label;
  }

  void TakePstring(const CrtLine& line, std::size_t number) {
    if (!pending_) {
      pending_ = CrtPair{std::string(line.content), {}, number, 0, line.contentColumn, 0};
      return;
    }
    pending_->translation = line.content;
    pending_->translationLine = number;
    pending_->translationColumn = line.contentColumn;
    document_.pairs.push_back(std::move(*pending_));
    pending_.reset();
  }

  CrtDocument document_;
  std::optional<CrtPair> pending_;  // a text waiting for its translation
  std::size_t lastLine_ = 0;
  bool seenContent_ = false;
  bool ended_ = false;
  bool afterEndReported_ = false;
  bool groupMissingReported_ = false;
};

}  // namespace

CrtDocument ReadCrt(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find(kEndOfFileByte));
  GroupBuilder builder;
  std::size_t number = 0;
  while (!bytes.empty()) {
    std::string_view line = TakeLine(bytes);
    ++number;
    builder.Take(ClassifyLine(line, number), number);
  }
  return builder.Finish();
}
