#include "window/pseudo.h"

#include <algorithm>
#include <cstddef>
#include <vector>

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

// The characters a text of `length` characters is lengthened by, markers included: the
// percentage of 0.6 times its length and 4 more, so that a short text grows more than a long one,
// as translations do. With 40 per cent, the 2,179 texts of the example application and two real
// ones grow by 41% on average (a text of 4 characters by 75%, 20 by 30%, 80 by 26%).
std::size_t Lengthening(std::size_t length, int percent) {
  return (static_cast<std::size_t>(percent) * (6 * length + 40) + 500) / 1000;
}

// The length of the piece of literal content at `at` that stands for one character or is kept
// whole: a code group, an escape, an accelerator with its letter, a picture; with the repeat
// count after it, which repeats its last character.
std::size_t PieceLength(std::string_view content, std::size_t at) {
  std::string_view rest = content.substr(at);
  std::size_t length = 1;
  bool escape = rest[0] == '\'' || rest[0] == '<' || rest[0] == '{';
  if (rest.size() >= 2 && (rest[0] == '&' || (escape && rest[1] == rest[0]))) {
    length = 2;  // "&S", "''", "<<", "{{", and "&&"
  } else if (rest[0] == '<') {
    std::size_t close = rest.find('>');
    if (close != std::string_view::npos && !FindNotationProblem(rest.substr(0, close + 1))) {
      length = close + 1;
    }
  } else if (rest[0] == '@' && rest.size() >= 2 && IsAsciiLetter(rest[1])) {
    length = std::min(rest.find(' '), rest.size());
  }
  if (length < rest.size() && rest[length] == '{') {
    std::size_t close = rest.find('}', length);
    if (close != std::string_view::npos && close > length + 1 &&
        std::all_of(rest.begin() + static_cast<std::ptrdiff_t>(length) + 1,
                    rest.begin() + static_cast<std::ptrdiff_t>(close), IsAsciiDigit)) {
      length = close + 1;
    }
  }
  return length;
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
  // The text's pieces, each with the characters it stands for.
  std::vector<std::string_view> pieces;
  std::vector<std::string> characters;
  for (std::size_t at = 0; at < text.size(); at += pieces.back().size()) {
    pieces.push_back(text.substr(at, PieceLength(text, at)));
    characters.push_back(DecodeNotation(pieces.back()));
  }
  // The leading blanks; the trailing ones, and a final ':', '...' or '?' before them.
  auto blank = [&](std::size_t i) {
    return characters[i].find_first_not_of(' ') == std::string::npos;
  };
  std::size_t first = 0, last = pieces.size();
  while (first < last && blank(first)) ++first;
  while (last > first && blank(last - 1)) --last;
  std::string body;
  for (std::size_t i = first; i < last; ++i) body += characters[i];
  std::size_t ending = body.ends_with("...") ? 3 : body.ends_with(':') || body.ends_with('?');
  for (std::size_t moved = 0; moved < ending && last > first;) moved += characters[--last].size();

  std::string translated(text.substr(0, pieces.size() > first ? pieces[first].data() - text.data()
                                                               : text.size()));
  translated += kOpening;
  std::size_t length = 0;
  for (std::size_t i = first; i < last; ++i) {
    bool letter = pieces[i].size() == 1 && static_cast<unsigned char>(pieces[i][0]) < 128;
    translated += letter ? std::string(1, lookAlikes_[static_cast<unsigned char>(pieces[i][0])])
                         : std::string(pieces[i]);
    length += characters[i].size();
  }
  std::string closing(1, kClosing);
  for (std::size_t i = last; i < pieces.size(); ++i) closing += pieces[i];
  // A text the program cannot hold whole with its markers, or that does not read as literal
  // content, is left as it is.
  std::size_t held = DecodeNotation(translated + closing).size();
  if (first == last || held > kMaxPstringLength || FindNotationProblem(translated + closing)) {
    return {};
  }
  std::size_t lengthening = Lengthening(length, expandPercent_);
  std::size_t padding = std::min(lengthening - std::min<std::size_t>(lengthening, 2),
                                 kMaxPstringLength - held);
  return translated + std::string(padding, kPadding) + closing;
}

bool PseudoTranslator::IsPseudoTranslation(std::string_view translation) {
  std::string shown = DecodeNotation(translation);
  std::size_t start = shown.find_first_not_of(' ');
  return start == std::string::npos || shown[start] == kOpening;
}
