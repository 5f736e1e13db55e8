#include "scan/wrapped_text.h"

#include <algorithm>
#include <cstring>

#include "common/ascii.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::size_t SkipBlanks(const char* line, std::size_t at, std::size_t length) {
  while (at < length && IsBlank(line[at])) ++at;
  return at;
}

// What follows a literal's closing quote, from `at`.
struct Link {
  std::size_t quote = kNone;  // the opening quote of the literal it is joined with on the line
  bool wrap = false;          // or: the line ends in a line break, and the text may go on
  bool ampersand = false;     // the '&' stands before that line break
};

Link LinkAfter(const char* line, std::size_t at, std::size_t length) {
  Link link;
  at = SkipBlanks(line, at, length);
  if (at < length && line[at] == '&') {
    link.ampersand = true;
    at = SkipBlanks(line, at + 1, length);
  }
  if (at == length) return link;
  if (line[at] == '\'') {
    if (link.ampersand) link.quote = at;
  } else if (line[at] == '|') {
    at = SkipBlanks(line, at + 1, length);
    link.wrap = at == length || line[at] == '!';
  }
  return link;
}

// Joins the literals linked on line[at, length) by closing up the quotes and the link between
// them; `inLiteral` when `at` stands inside a literal. Returns the line's new length; `wrap`
// gets the closing quote of a last literal whose text the next line may continue (kNone when
// there is none) and `ampersand` whether its '&' is on this line. Lines rarely hold a link, so
// nothing moves until one is found.
std::size_t JoinLinks(char* line, std::size_t length, std::size_t at, bool inLiteral,
                      std::size_t& wrap, bool& ampersand) {
  std::size_t kept = at;  // line[0, kept) is done; line[at, length) is still to read
  auto keep = [&](std::size_t end) {
    if (kept != at) std::memmove(line + kept, line + at, end - at);
    kept += end - at;
    at = end;
  };
  wrap = kNone;
  for (;;) {
    const void* found = std::memchr(line + at, '\'', length - at);
    std::size_t quote = found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - line) : length;
    if (!inLiteral) {
      // A comment before the next literal ends the code.
      if (quote == length || std::memchr(line + at, '!', quote - at) != nullptr) break;
      keep(quote + 1);
      inLiteral = true;
      continue;
    }
    if (quote == length) break;  // not closed on this line
    if (quote + 1 < length && line[quote + 1] == '\'') {  // a doubled quote
      keep(quote + 2);
      continue;
    }
    Link link = LinkAfter(line, quote + 1, length);
    if (link.quote != kNone) {
      keep(quote);
      at = link.quote + 1;
      continue;
    }
    if (link.wrap) {
      wrap = kept + (quote - at);
      ampersand = link.ampersand;
      break;
    }
    keep(quote + 1);
    inLiteral = false;
  }
  keep(length);
  return kept;
}

// Where the literal that continues a wrapped text opens on `next`, or kNone when the line does
// not continue it.
std::size_t ContinuingQuote(const char* next, std::size_t length, bool ampersandBefore) {
  std::size_t at = SkipBlanks(next, 0, length);
  if (!ampersandBefore) {
    if (at == length || next[at] != '&') return kNone;
    at = SkipBlanks(next, at + 1, length);
  }
  return at < length && next[at] == '\'' ? at : kNone;
}

}  // namespace

WrappedTextJoin::WrappedTextJoin(char* line, std::size_t length, std::size_t capacity)
    : line_(line), length_(std::min(length, capacity)), capacity_(capacity) {
  std::size_t wrap = kNone;
  length_ = JoinLinks(line_, length_, 0, false, wrap, ampersand_);
  wrapped_ = wrap != kNone;
  cut_ = wrap;
}

bool WrappedTextJoin::Continue(char* next, std::size_t length) {
  if (!wrapped_) return false;
  std::size_t quote = ContinuingQuote(next, length, ampersand_);
  if (quote == kNone) return false;
  std::size_t wrap = kNone;
  length = JoinLinks(next, length, quote + 1, true, wrap, ampersand_);
  wrapped_ = wrap != kNone;
  if (final_) return true;
  // The text goes on from the cut; the marker (and its comment) stays after it only while the
  // next line may still take its place, and only a text that does not fit ends the joining.
  length_ = cut_;
  joinedAt_.push_back(length_);
  std::size_t textEnd = wrapped_ ? wrap : length;
  final_ = !Append(next + quote + 1, textEnd - quote - 1);
  cut_ = length_;
  if (!final_ && wrapped_) Append(next + textEnd, length - textEnd);
  return true;
}

bool WrappedTextJoin::Append(const char* text, std::size_t length) {
  std::size_t fitting = std::min(length, capacity_ - length_);
  std::memcpy(line_ + length_, text, fitting);
  length_ += fitting;
  return fitting == length;
}
