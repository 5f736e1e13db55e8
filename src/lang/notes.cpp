#include "lang/notes.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/ascii.h"

namespace {

bool IsLetterOrDigit(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c);
}

bool IsNameCharacter(char c) {
  return IsLetterOrDigit(c) || c == '_' || c == ':' || c == '.' || c == '?';
}

// A keyword as the language's users write it in documentation: upper case; a name with a dot
// or a colon (SELF.Init, CON:Name) stays as written.
std::string StatementWord(std::string_view word) {
  std::string shown(word);
  if (std::all_of(word.begin(), word.end(), [](char c) { return IsAsciiLetter(c) || c == '_'; }))
    UpperCaseAscii(shown.data());
  return shown;
}

// The name that ends just before `end` (blanks between allowed), or nothing.
std::string_view NameBefore(std::string_view code, std::size_t end) {
  while (end > 0 && (code[end - 1] == ' ' || code[end - 1] == '\t')) --end;
  std::size_t start = end;
  while (start > 0 && IsNameCharacter(code[start - 1])) --start;
  return code.substr(start, end - start);
}

// The line's USE(...) attribute, outside its strings, or nothing.
std::string_view UseAttribute(std::string_view code) {
  bool inString = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    if (code[i] == '\'') inString = !inString;
    if (inString || code[i] != '(') continue;
    std::string_view name = NameBefore(code, i);  // blanks may stand before the parenthesis
    if (!SameIgnoringAsciiCase(name, "USE")) continue;
    std::size_t close = code.find(')', i);
    if (close == std::string_view::npos) return {};
    std::size_t start = static_cast<std::size_t>(name.data() - code.data());
    return code.substr(start, close + 1 - start);
  }
  return {};
}

// Whether `text` holds `word` (in any case) as a word of its own, from `from` on.
bool HoldsWord(std::string_view text, std::string_view word, std::size_t from = 0) {
  for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
    bool before = at == 0 || !IsLetterOrDigit(text[at - 1]);
    bool after = at + word.size() == text.size() || !IsLetterOrDigit(text[at + word.size()]);
    if (before && after && SameIgnoringAsciiCase(text.substr(at, word.size()), word)) return true;
  }
  return false;
}

// A statement of SQL: its first word and one that must follow it ("Update Contact" is a title),
// and besides, its keywords in upper case or something no sentence holds ("Delete from the
// list?" is a question).
bool LooksLikeSql(std::string_view text) {
  constexpr std::pair<std::string_view, std::string_view> kStatements[] = {
      {"SELECT", "FROM"},  {"UPDATE", "SET"},  {"INSERT", "INTO"}, {"DELETE", "FROM"},
      {"CREATE", "TABLE"}, {"ALTER", "TABLE"}, {"DROP", "TABLE"},  {"CREATE", "INDEX"},
  };
  std::size_t first = text.find_first_not_of(" \t(");
  if (first == std::string_view::npos) return false;
  text.remove_prefix(first);
  for (const auto& [start, then] : kStatements) {
    if (text.size() > start.size() && SameIgnoringAsciiCase(text.substr(0, start.size()), start) &&
        !IsLetterOrDigit(text[start.size()]) && HoldsWord(text, then, start.size())) {
      bool upperCase = text.substr(0, start.size()) == start;
      return upperCase || HoldsWord(text, "WHERE") || text.find_first_of("=*;") != text.npos;
    }
  }
  return false;
}

}  // namespace

std::string DescribeUse(std::string_view code, std::size_t quote, bool tildePiece) {
  // A label stands in the first column; the statement comes after it.
  std::size_t start = 0;
  if (!code.empty() && code[0] != ' ' && code[0] != '\t') {
    while (start < code.size() && code[start] != ' ' && code[start] != '\t') ++start;
  }
  // The calls still open at the quote, innermost last, outside the strings before it.
  std::vector<std::string_view> calls;
  bool inString = false;
  for (std::size_t i = start; i < quote && i < code.size(); ++i) {
    if (code[i] == '\'') inString = !inString;
    if (inString) continue;
    if (code[i] == '(') calls.push_back(NameBefore(code, i));
    if (code[i] == ')' && !calls.empty()) calls.pop_back();
  }
  std::string attribute;
  if (!calls.empty()) {
    std::string innermost = StatementWord(calls.back());
    if (innermost == "TIP" || innermost == "MSG" || innermost == "FORMAT") {
      attribute = innermost == "FORMAT" && tildePiece ? "FORMAT column header" : innermost;
      calls.pop_back();
    }
  }
  std::string_view statement;
  for (auto call = calls.rbegin(); call != calls.rend() && statement.empty(); ++call) {
    statement = *call;
  }
  std::string described;
  if (!statement.empty()) {
    described = StatementWord(statement);
  } else {
    std::size_t first = std::min(code.find_first_not_of(" \t", start), quote);
    std::size_t equals = code.find('=', first);
    std::string_view target =
        equals < quote ? code.substr(first, equals - first) : std::string_view();
    while (!target.empty() && (target.back() == ' ' || target.back() == '\t')) {
      target.remove_suffix(1);
    }
    if (!target.empty() && target.find_first_of(" \t'") == std::string_view::npos) {
      described = "assigned to " + std::string(target);  // Name = 'Text', ?Ctl{PROP:Text} = ...
    } else {
      std::size_t end = first;
      while (end < quote && IsNameCharacter(code[end])) ++end;
      described = StatementWord(code.substr(first, end - first));
    }
    // A literal on a line of its own after a line break: the attribute alone tells what it is.
    if (attribute.starts_with(described)) described.clear();
  }
  for (std::string_view part : {std::string_view(attribute), UseAttribute(code)}) {
    if (part.empty()) continue;
    if (!described.empty()) described += ", ";
    described += part;
  }
  return described;
}

std::string ProgramMatterNote(std::string_view text) {
  if (LooksLikeSql(text)) return "looks like SQL: leave it unless users see it";
  if (text.find_first_of(" \t") != std::string_view::npos) return {};
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if ((text[i] == '_' || text[i] == ':') && IsLetterOrDigit(text[i - 1]) &&
        IsLetterOrDigit(text[i + 1])) {
      return "looks like a name the program uses: leave it unless users see it";
    }
  }
  std::size_t dot = text.rfind('.');
  if (dot != std::string_view::npos && dot >= 2 && text.size() - dot - 1 >= 1 &&
      text.size() - dot - 1 <= 4 &&
      std::all_of(text.begin() + static_cast<std::ptrdiff_t>(dot) + 1, text.end(), IsAsciiLetter)) {
    return "looks like a file name: leave it unless users see it";
  }
  if (text.find('=') != std::string_view::npos) {
    return "looks like a setting the program uses: leave it unless users see it";
  }
  return {};
}
