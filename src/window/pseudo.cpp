#include "window/pseudo.h"

#include <algorithm>
#include <cstddef>

#include "common/ascii.h"
#include "translation/check.h"
#include "translation/notation.h"

namespace {

// The look-alikes of letters, the first one the code page holds taken.
struct LookAlikes {
  char letter;
  std::u32string_view candidates;
};
constexpr LookAlikes kLookAlikes[] = {
    {'a', U"âàáäãå"}, {'e', U"éèêë"}, {'i', U"îíìï"}, {'o', U"ôóòöõ"}, {'u', U"ûúùü"},
    {'y', U"ýÿ"},     {'c', U"çčć"},  {'n', U"ñňń"},  {'A', U"ÂÀÁÄÃÅ"}, {'E', U"ÉÈÊË"},
    {'I', U"ÎÍÌÏ"},   {'O', U"ÔÓÒÖÕ"}, {'U', U"ÛÚÙÜ"}, {'Y', U"ÝŸ"},    {'C', U"ÇČĆ"},
    {'N', U"ÑŇŃ"},
};

constexpr char kOpening = '[', kClosing = ']', kPadding = '=';

// The length of the piece of literal content at `at` that is kept whole: a code group, a
// repeat count, an escape, an accelerator with its letter, a picture; 0 for a single character.
std::size_t KeptPiece(std::string_view content, std::size_t at) {
  std::string_view rest = content.substr(at);
  if (rest.size() < 2) return 0;
  char c = rest[0];
  if ((c == '\'' && rest[1] == '\'') || (c == '<' && rest[1] == '<') ||
      (c == '{' && rest[1] == '{') || c == '&') {
    return 2;
  }
  if (c == '<' || c == '{') {
    std::size_t close = rest.find(c == '<' ? '>' : '}');
    if (close == std::string_view::npos || close == 1) return 0;
    bool code = std::all_of(rest.begin() + 1, rest.begin() + static_cast<std::ptrdiff_t>(close),
                            [&](char d) {
                              return IsAsciiDigit(d) || (c == '<' && (d == ',' || d == 'h' ||
                                                                      d == 'H' ||
                                                                      HexDigitValue(d) < 16));
                            });
    return code ? close + 1 : 0;
  }
  if (c == '@' && IsAsciiLetter(rest[1])) return std::min(rest.find(' '), rest.size());
  return 0;
}

// The padding that lengthens a text of `length` characters, markers included: more for a short
// text than a long one, so that the texts of an application grow by `percent` on average.
std::size_t Lengthening(std::size_t length, int percent) {
  return (static_cast<std::size_t>(percent) * (length + 8) + 50) / 100;
}

}  // namespace

PseudoTranslator::PseudoTranslator(const CodePage& codePage, int expandPercent)
    : expandPercent_(expandPercent) {
  for (std::size_t c = 0; c < lookAlikes_.size(); ++c) lookAlikes_[c] = static_cast<char>(c);
  for (const LookAlikes& each : kLookAlikes) {
    auto held = [&](char32_t candidate) {
      for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        if (codePage.CharacterOf(static_cast<unsigned char>(byte)) == candidate) {
          lookAlikes_[static_cast<unsigned char>(each.letter)] = static_cast<char>(byte);
          return true;
        }
      }
      return false;
    };
    std::find_if(each.candidates.begin(), each.candidates.end(), held);
  }
}

std::string PseudoTranslator::Translate(std::string_view text) const {
  // The leading blanks; the trailing ones and a final ':', '...' or '?' before them.
  std::size_t start = std::min(text.find_first_not_of(' '), text.size());
  std::size_t end = text.size();
  while (end > start && text[end - 1] == ' ') --end;
  for (std::string_view ending : {"...", ":", "?"}) {
    if (text.substr(start, end - start).ends_with(ending)) {
      end -= ending.size();
      break;
    }
  }
  std::string_view body = text.substr(start, end - start);
  std::string translated;
  for (std::size_t at = 0; at < body.size();) {
    std::size_t kept = KeptPiece(body, at);
    if (kept > 0) {
      translated += body.substr(at, kept);
      at += kept;
      continue;
    }
    unsigned char c = static_cast<unsigned char>(body[at++]);
    translated += c < 128 ? lookAlikes_[c] : static_cast<char>(c);
  }
  std::size_t length = DecodeNotation(text).size();
  std::size_t limit = std::max(kMaxPstringLength, length);
  std::size_t padding = Lengthening(DecodeNotation(body).size(), expandPercent_);
  padding = std::min(padding > 2 ? padding - 2 : 0, limit - std::min(limit, length + 2));
  std::string shown(text.substr(0, start));
  if (length + 2 <= limit) {
    shown += kOpening + translated + std::string(padding, kPadding) + kClosing;
  } else {
    shown += translated;
  }
  return shown + std::string(text.substr(end));
}
