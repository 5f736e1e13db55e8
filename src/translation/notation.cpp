#include "translation/notation.h"

#include <algorithm>
#include <vector>

#include "common/ascii.h"

namespace {

// Values grow no further than this while digits are read, so a long run of digits cannot
// overflow; anything this large is out of range anyway.
constexpr unsigned kSaturated = 1u << 20;
constexpr unsigned kMaxCode = 255;

// One code of a code group: decimal digits, or a digit and more hexadecimal digits followed by
// h or H.
struct Code {
  unsigned value;
  std::size_t end;  // just past the code
};

std::optional<Code> ReadCode(std::string_view content, std::size_t at) {
  if (at >= content.size() || !IsAsciiDigit(content[at])) return std::nullopt;
  std::size_t end = at;
  while (end < content.size() && HexDigitValue(content[end]) < 16) ++end;
  bool hexadecimal = end < content.size() && (content[end] == 'h' || content[end] == 'H');
  unsigned base = hexadecimal ? 16 : 10;
  unsigned value = 0;
  for (std::size_t i = at; i < end; ++i) {
    unsigned digit = HexDigitValue(content[i]);
    if (digit >= base) return std::nullopt;
    value = std::min(value * base + digit, kSaturated);
  }
  return Code{value, hexadecimal ? end + 1 : end};
}

// The end of the well-formed code group that starts at `at` (a '<'), appending what it stands
// for to `values` (when given); none when no such group starts there.
std::optional<std::size_t> CodeGroupEnd(std::string_view text, std::size_t at,
                                        std::string* values = nullptr) {
  std::string codes;
  std::size_t next = at + 1;
  for (;;) {
    std::optional<Code> code = ReadCode(text, next);
    if (!code || code->value > kMaxCode) return std::nullopt;
    codes.push_back(static_cast<char>(code->value));
    next = code->end;
    if (next < text.size() && text[next] == '>') break;
    if (next >= text.size() || text[next] != ',') return std::nullopt;
    ++next;
  }
  if (values != nullptr) *values += codes;
  return next + 1;
}

// Appends characters as codes, consecutive ones in one group: <13,10>.
class CodeGroupWriter {
 public:
  explicit CodeGroupWriter(std::string& out) : out_(out) {}
  void Add(char c) {
    out_ += open_ ? ',' : '<';
    out_ += std::to_string(static_cast<unsigned char>(c));
    open_ = true;
  }
  void Close() {
    if (open_) out_ += '>';
    open_ = false;
  }

 private:
  std::string& out_;
  bool open_ = false;
};

// Walks literal content piece by piece, appending what it stands for to `decoded` (when given)
// and noting the first problem.
class NotationWalker {
 public:
  NotationWalker(std::string_view content, std::string* decoded)
      : content_(content), decoded_(decoded) {}

  std::optional<NotationProblem> Walk() {
    std::size_t at = 0;
    while (at < content_.size()) {
      bool countFollows = false;
      switch (content_[at]) {
        case '\'':
          at = Quote(at);
          break;
        case '<':
          at = CodeGroup(at);
          break;
        case '{':
          at = RepeatCount(at, countFollows);
          break;
        default:
          Emit(content_[at++]);
      }
      afterCount_ = countFollows;
    }
    return problem_;
  }

 private:
  bool Doubled(std::size_t at) const {
    return at + 1 < content_.size() && content_[at + 1] == content_[at];
  }

  void Emit(char c) {
    if (decoded_ != nullptr) decoded_->push_back(c);
    last_ = c;
    hasLast_ = true;
  }

  void EmitAsWritten(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) Emit(content_[i]);
  }

  void Problem(std::size_t at, std::string message) {
    if (!problem_) problem_ = NotationProblem{at, std::move(message)};
  }

  // Keeps one character of a malformed piece as written; the rest of the piece is walked on.
  std::size_t KeepAsWritten(std::size_t at, std::string message) {
    Problem(at, std::move(message));
    Emit(content_[at]);
    return at + 1;
  }

  std::size_t Quote(std::size_t at) {
    if (!Doubled(at)) return KeepAsWritten(at, "lone quote; write '' for a quote");
    Emit('\'');
    return at + 2;
  }

  std::size_t CodeGroup(std::size_t at) {
    if (Doubled(at)) {
      Emit('<');
      return at + 2;
    }
    std::string codes;
    std::size_t next = at + 1;
    for (;;) {
      std::optional<Code> code = ReadCode(content_, next);
      if (!code) return KeepAsWritten(at, "'<' opens no valid code; write '<<' for a '<'");
      if (code->value > kMaxCode) {
        return KeepAsWritten(at, "code '" + std::string(content_.substr(next, code->end - next)) +
                                     "' is out of range (0 to 255)");
      }
      codes.push_back(static_cast<char>(code->value));
      next = code->end;
      if (next < content_.size() && content_[next] == '>') break;
      if (next >= content_.size() || content_[next] != ',') {
        return KeepAsWritten(at, "'<' opens no valid code; write '<<' for a '<'");
      }
      ++next;
    }
    for (char c : codes) Emit(c);
    return next + 1;  // past the closing '>'
  }

  std::size_t RepeatCount(std::size_t at, bool& countFollows) {
    if (Doubled(at)) {
      Emit('{');
      return at + 2;
    }
    std::size_t end = at + 1;
    unsigned count = 0;
    while (end < content_.size() && IsAsciiDigit(content_[end])) {
      count = std::min(count * 10 + static_cast<unsigned>(content_[end] - '0'), kSaturated);
      ++end;
    }
    if (end == at + 1 || end >= content_.size() || content_[end] != '}') {
      return KeepAsWritten(at, "'{' opens no valid repeat count; write '{{' for a '{'");
    }
    ++end;
    countFollows = true;  // even a count kept as written stops the next one from repeating
    std::optional<std::string> rejection = RepeatRejection(at, end, count);
    if (rejection) {
      Problem(at, std::move(*rejection));
      EmitAsWritten(at, end);
    } else if (decoded_ != nullptr) {
      decoded_->append(count - 1, last_);
    }
    return end;
  }

  // Why the well-formed repeat count content_[at, end) cannot repeat, or none.
  std::optional<std::string> RepeatRejection(std::size_t at, std::size_t end,
                                             unsigned count) const {
    if (!hasLast_) return "repeat count with no character before it";
    if (afterCount_) return "repeat count right after another repeat count";
    if (count == 0) return "repeat count 0; a character stands at least once";
    if (count > kMaxRepeatCount) {
      return "repeat count " + std::string(content_.substr(at + 1, end - at - 2)) +
             " is too large (at most 999)";
    }
    return std::nullopt;
  }

  std::string_view content_;
  std::string* decoded_;
  std::optional<NotationProblem> problem_;
  char last_ = '\0';
  bool hasLast_ = false;
  bool afterCount_ = false;
};

}  // namespace

std::string DecodeNotation(std::string_view content) {
  std::string decoded;
  decoded.reserve(content.size());
  NotationWalker(content, &decoded).Walk();
  return decoded;
}

std::optional<NotationProblem> FindNotationProblem(std::string_view content) {
  return NotationWalker(content, nullptr).Walk();
}

std::string EncodeNotation(std::string_view characters) {
  std::string content;
  content.reserve(characters.size());
  CodeGroupWriter codes(content);
  for (char c : characters) {
    if (IsControlCharacter(c)) {
      codes.Add(c);
      continue;
    }
    codes.Close();
    content += c;
    if (c == '\'' || c == '<' || c == '{') content += c;
  }
  codes.Close();
  return content;
}

bool IsShownAsCode(char c) {
  return (IsControlCharacter(c) && c != '\t' && c != '\n') || c == '\\';
}

std::string ToDisplayForm(std::string_view characters) {
  // Which characters are shown as codes, decided from the end: a '<' right before a code is
  // one itself, since "<<" before a code group would read as one '<' and the group's digits.
  std::vector<bool> asCode(characters.size());
  for (std::size_t i = characters.size(); i-- > 0;) {
    char c = characters[i];
    asCode[i] = IsShownAsCode(c) || (c == '<' && i + 1 < characters.size() && asCode[i + 1]);
  }
  std::string shown;
  shown.reserve(characters.size());
  CodeGroupWriter codes(shown);
  for (std::size_t i = 0; i < characters.size(); ++i) {
    if (asCode[i]) {
      codes.Add(characters[i]);
      continue;
    }
    codes.Close();
    shown += characters[i];
    if (characters[i] == '<' && CodeGroupEnd(characters, i)) shown += '<';
  }
  codes.Close();
  return shown;
}

std::string FromDisplayForm(std::string_view shown) {
  std::string characters;
  characters.reserve(shown.size());
  std::size_t at = 0;
  while (at < shown.size()) {
    if (shown[at] == '<') {
      if (std::optional<std::size_t> end = CodeGroupEnd(shown, at, &characters)) {
        at = *end;
        continue;
      }
      if (at + 1 < shown.size() && shown[at + 1] == '<' && CodeGroupEnd(shown, at + 1)) {
        characters += '<';
        at += 2;
        continue;
      }
    }
    characters += shown[at++];
  }
  return characters;
}
