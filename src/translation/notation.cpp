#include "translation/notation.h"

#include <algorithm>

namespace {

// Values grow no further than this while digits are read, so a long run of digits cannot
// overflow; anything this large is out of range anyway.
constexpr unsigned kSaturated = 1u << 20;
constexpr unsigned kMaxCode = 255;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit, or 16 for any other character.
unsigned HexDigitValue(char c) {
  if (IsDigit(c)) return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 16;
}

bool IsControl(unsigned char c) {
  return (c >= 1 && c <= 31) || c == 127;
}

// One code of a code group: decimal digits, or a digit and more hexadecimal digits followed by
// h or H.
struct Code {
  unsigned value;
  std::size_t end;  // just past the code
};

std::optional<Code> ReadCode(std::string_view content, std::size_t at) {
  if (at >= content.size() || !IsDigit(content[at])) return std::nullopt;
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
    ++next;  // the closing '>'
    if (codes.find('\0') != std::string::npos) {
      // Well-formed, but a NUL cannot be carried on: the whole group stands as written.
      EmitAsWritten(at, next);
    } else {
      for (char c : codes) Emit(c);
    }
    return next;
  }

  std::size_t RepeatCount(std::size_t at, bool& countFollows) {
    if (Doubled(at)) {
      Emit('{');
      return at + 2;
    }
    std::size_t end = at + 1;
    unsigned count = 0;
    while (end < content_.size() && IsDigit(content_[end])) {
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
  bool inCodeGroup = false;
  for (char c : characters) {
    auto byte = static_cast<unsigned char>(c);
    if (IsControl(byte)) {
      content += inCodeGroup ? ',' : '<';
      content += std::to_string(byte);
      inCodeGroup = true;
      continue;
    }
    if (inCodeGroup) content += '>';
    inCodeGroup = false;
    if (byte == 0) {
      content += "<0>";
    } else {
      content += c;
      if (c == '\'' || c == '<' || c == '{') content += c;
    }
  }
  if (inCodeGroup) content += '>';
  return content;
}
