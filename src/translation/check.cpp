#include "translation/check.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "common/ascii.h"
#include "translation/notation.h"
#include "translation/utf8.h"

namespace {

// What check says of a translation against its text, both as the characters they stand for.
class TranslationComparison {
 public:
  explicit TranslationComparison(std::vector<std::string>& warnings) : warnings_(warnings) {}

  void Compare(std::string_view text, std::string_view translation) {
    CompareAccelerators(text, translation);
    CompareControlCharacters(text, translation);
    CompareBlanks(text, translation);
    CompareEndings(text, translation);
  }

 private:
  void Warning(std::string message) { warnings_.push_back(std::move(message)); }

  void CompareAccelerators(std::string_view text, std::string_view translation) {
    std::size_t inText = AcceleratorCount(text), inTranslation = AcceleratorCount(translation);
    if (inText == inTranslation) return;
    Warning("translation has " + Counted(inTranslation, "'&' accelerator") + ", its text " +
            std::to_string(inText));
  }

  void CompareControlCharacters(std::string_view text, std::string_view translation) {
    std::string inText = ControlCharacters(text), inTranslation = ControlCharacters(translation);
    if (inText == inTranslation) return;
    Warning("translation has codes or tabs " + Listed(inTranslation) + ", its text " +
            Listed(inText));
  }

  void CompareBlanks(std::string_view text, std::string_view translation) {
    auto leading = [](std::string_view s) { return std::min(s.find_first_not_of(' '), s.size()); };
    auto trailing = [](std::string_view s) {
      std::size_t last = s.find_last_not_of(' ');
      return last == std::string_view::npos ? s.size() : s.size() - last - 1;
    };
    if (leading(text) != leading(translation)) {
      Warning("translation has " + Counted(leading(translation), "leading blank") + ", its text " +
              std::to_string(leading(text)));
    }
    if (trailing(text) != trailing(translation)) {
      Warning("translation has " + Counted(trailing(translation), "trailing blank") +
              ", its text " + std::to_string(trailing(text)));
    }
  }

  void CompareEndings(std::string_view text, std::string_view translation) {
    std::string_view inText = Ending(text), inTranslation = Ending(translation);
    if (inText == inTranslation) return;
    if (inText.empty()) {
      Warning("translation ends with '" + std::string(inTranslation) + "', its text does not");
    } else if (inTranslation.empty()) {
      Warning("translation does not end with '" + std::string(inText) + "' as its text does");
    } else {
      Warning("translation ends with '" + std::string(inTranslation) + "', its text with '" +
              std::string(inText) + "'");
    }
  }

  // Ampersands that mark an accelerator: "&&" is a plain ampersand.
  static std::size_t AcceleratorCount(std::string_view characters) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
      if (characters[i] != '&') continue;
      if (i + 1 < characters.size() && characters[i + 1] == '&') {
        ++i;
      } else {
        ++count;
      }
    }
    return count;
  }

  // The control characters, sorted, so that only their number and kind count.
  static std::string ControlCharacters(std::string_view characters) {
    std::string controls;
    for (char c : characters) {
      if (IsControlCharacter(c)) controls += c;
    }
    std::sort(controls.begin(), controls.end());
    return controls;
  }

  // The final ':', '...' or '?' after the trailing blanks, or nothing.
  static std::string_view Ending(std::string_view characters) {
    std::size_t last = characters.find_last_not_of(' ');
    if (last == std::string_view::npos) return {};
    std::string_view body = characters.substr(0, last + 1);
    for (std::string_view ending : {"...", ":", "?"}) {
      if (body.ends_with(ending)) return ending;
    }
    return {};
  }

  static std::string Listed(std::string_view controls) {
    if (controls.empty()) return "none";
    std::string listed = "<";
    for (char c : controls) {
      if (listed.size() > 1) listed += ',';
      listed += std::to_string(static_cast<unsigned char>(c));
    }
    return listed + ">";
  }

  std::vector<std::string>& warnings_;
};

class Checker {
 public:
  explicit Checker(std::vector<Diagnostic>& diagnostics) : diagnostics_(diagnostics) {}

  void CheckTranslation(const CrtPair& pair) {
    if (pair.translation.empty()) return;
    std::size_t line = pair.translationLine;
    std::string translation = DecodeNotation(pair.translation);
    std::vector<std::string> warnings = TranslationWarnings(DecodeNotation(pair.text), translation);
    if (std::string tooLong = LengthProblem(translation); !tooLong.empty()) {
      warnings.push_back(std::move(tooLong));
    }
    for (std::string& warning : warnings) {
      diagnostics_.push_back({line, Severity::kWarning, std::move(warning)});
    }
  }

 private:
  std::vector<Diagnostic>& diagnostics_;
};

// Where `content` holds a UTF-8 sequence of two or more bytes for a character the code page
// holds: what a file written in UTF-8 instead of its code page shows. A lone byte of 0x80 or
// above, as ordinary text in a code page has, is no such sequence, and one that stands for a
// character the code page cannot hold is taken for the code page's own characters.
std::optional<Diagnostic> LooksLikeUtf8(std::string_view what, std::string_view content,
                                        std::size_t line, std::size_t column,
                                        const CodePage& codePage) {
  for (std::size_t at = 0; at < content.size();) {
    std::size_t start = at;
    std::optional<char32_t> character = DecodeUtf8(content, at);
    if (!character) {
      ++at;
      continue;
    }
    std::string byte;
    std::size_t bad = 0;
    std::string_view sequence = content.substr(start, at - start);
    if (*character < 0x80 || !codePage.FromUtf8(sequence, byte, bad) ||
        codePage.CharacterOf(static_cast<unsigned char>(byte[0])) != character) {
      continue;
    }
    return Diagnostic{line, Severity::kWarning,
                      std::string(what) + " looks like UTF-8 ('" + codePage.ToUtf8(sequence) +
                          "' would be '" + std::string(sequence) +
                          "'); save the file in its code page",
                      column + start};
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> TranslationWarnings(std::string_view text, std::string_view translation) {
  std::vector<std::string> warnings;
  TranslationComparison(warnings).Compare(text, translation);
  return warnings;
}

std::vector<Diagnostic> TranslationErrors(const CrtDocument& crt) {
  std::vector<Diagnostic> errors;
  for (const CrtPair& pair : crt.pairs) {
    if (std::optional<NotationProblem> problem = FindNotationProblem(pair.translation)) {
      errors.push_back({pair.translationLine, Severity::kError, "translation: " + problem->message,
                        pair.translationColumn + problem->offset});
    }
  }
  return errors;
}

std::string LengthProblem(std::string_view translation) {
  if (translation.size() <= kMaxPstringLength) return {};
  return "translation is " + std::to_string(translation.size()) +
         " characters long; a PSTRING holds at most 255";
}

namespace {

// Each text listed more than once, at its later lines: an error where its translations differ
// (empty ones aside), a warning otherwise.
void CheckRepeatedTexts(const CrtDocument& crt, std::vector<Diagnostic>& diagnostics,
                        bool warnings) {
  std::unordered_map<std::string_view, const CrtPair*> firsts;
  for (const CrtPair& pair : crt.pairs) {
    const CrtPair*& first = firsts[pair.text];
    if (first == nullptr) {
      first = &pair;
      continue;
    }
    std::string lines =
        "lines " + std::to_string(first->textLine) + " and " + std::to_string(pair.textLine);
    if (!first->translation.empty() && !pair.translation.empty() &&
        DecodeNotation(first->translation) != DecodeNotation(pair.translation)) {
      diagnostics.push_back({pair.textLine, Severity::kError,
                             "text listed twice with different translations, on " + lines +
                                 ": keep the one that is meant"});
    } else if (warnings) {
      diagnostics.push_back({pair.textLine, Severity::kWarning, "text listed twice, on " + lines});
    }
    if (first->translation.empty()) first = &pair;
  }
}

// The structure errors, the count's error and the repeated texts' errors, and with `warnings`
// the repeated texts' warnings, in line order.
std::vector<Diagnostic> PairingProblems(const CrtDocument& crt, bool warnings) {
  std::vector<Diagnostic> problems = crt.structureErrors;
  std::string texts = Counted(crt.pairs.size(), "text");
  if (crt.itemsLine == 0) {
    problems.push_back(
        {crt.groupLine, Severity::kError, "no Items USHORT(n) line; the group holds " + texts});
  } else if (crt.itemsCount != crt.pairs.size()) {
    problems.push_back({crt.itemsLine, Severity::kError,
                        "Items count " + std::to_string(crt.itemsCount) + " differs from the " +
                            texts + " of the group: a line may have been deleted or added"});
  }
  CheckRepeatedTexts(crt, problems, warnings);
  SortByLine(problems);
  return problems;
}

}  // namespace

std::vector<Diagnostic> PairingErrors(const CrtDocument& crt) {
  return PairingProblems(crt, false);
}

CheckResult CheckCrt(const CrtDocument& crt, const CodePage& codePage) {
  CheckResult result;
  result.diagnostics = PairingProblems(crt, true);
  for (Diagnostic& error : TranslationErrors(crt)) result.diagnostics.push_back(std::move(error));
  // The program reads the count as a USHORT.
  if (crt.itemsLine != 0 && crt.itemsCount > 65535) {
    result.diagnostics.push_back(
        {crt.itemsLine, Severity::kError,
         "Items count " + std::to_string(crt.itemsCount) + " is more than a USHORT holds (65535)"});
  }
  result.texts = crt.pairs.size();
  Checker checker(result.diagnostics);
  for (const CrtPair& pair : crt.pairs) {
    if (!pair.translation.empty()) ++result.translated;
    checker.CheckTranslation(pair);
    for (std::optional<Diagnostic> utf8 :
         {LooksLikeUtf8("text", pair.text, pair.textLine, pair.textColumn, codePage),
          LooksLikeUtf8("translation", pair.translation, pair.translationLine,
                        pair.translationColumn, codePage)}) {
      if (utf8) result.diagnostics.push_back(std::move(*utf8));
    }
  }
  SortByLine(result.diagnostics);
  return result;
}
