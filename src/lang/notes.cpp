#include "lang/notes.h"

#include <algorithm>
#include <array>
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

// Marks the characters of `marked` in a table of all characters.
constexpr std::array<bool, 256> Marking(std::string_view marked) {
  std::array<bool, 256> table{};
  for (char c : marked) table[static_cast<unsigned char>(c)] = true;
  return table;
}

// The position of the first character at or after `at`, before `end`, that `table` marks; `end`
// when there is none. Most of a line is names and blanks, passed over here.
std::size_t NextMarked(std::string_view code, std::size_t at, std::size_t end,
                       const std::array<bool, 256>& table) {
  while (at < end && !table[static_cast<unsigned char>(code[at])]) ++at;
  return at;
}

// The line's USE(...) attribute, outside its strings, or nothing.
std::string_view UseAttribute(std::string_view code) {
  bool inString = false;  // at `from`: the quotes before a parenthesis tell
  for (std::size_t from = 0, i; (i = code.find('(', from)) != std::string_view::npos; from = i + 1) {
    for (std::size_t q = code.find('\'', from); q < i; q = code.find('\'', q + 1)) {
      inString = !inString;
    }
    if (inString) continue;
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

namespace {

constexpr char kCompared[] = "the program compares it: leave it unless users see it";
constexpr char kName[] = "a name the program uses: leave it unless users see it";
constexpr char kFileName[] = "looks like a file name: leave it unless users see it";
constexpr char kPicture[] = "a picture the program formats with: leave it";

// A call still open at the quote: its name and how many of its arguments come before.
struct OpenCall {
  std::string_view name;
  std::size_t argument = 0;
};

// Functions that hand on what they are given: the call around them tells what a text is.
bool HandsOn(std::string_view name) {
  for (std::string_view each :
       {"CLIP", "LEFT", "RIGHT", "UPPER", "LOWER", "SUB", "ALL", "CENTER", "CHOOSE"}) {
    if (SameIgnoringAsciiCase(name, each)) return true;
  }
  return false;
}

// What a text is as an argument of `call`, in plain words, and its note; nothing where the
// call's own name says it.
TextUse ArgumentUse(const OpenCall& call) {
  std::string name = StatementWord(call.name);
  if (name == "MESSAGE") {
    constexpr const char* kArguments[] = {"MESSAGE text", "MESSAGE title", "MESSAGE",
                                          "MESSAGE buttons"};
    return {call.argument < 4 ? kArguments[call.argument] : "MESSAGE", ""};
  }
  if (name == "{") return {"a property name ({...})", kName};
  if (name == "NAME") return {"a name the program is linked or opened under (NAME)", kName};
  if (name == "INLIST") return {"compared in a condition (INLIST)", kCompared};
  if (name == "INSTRING" || name == "MATCH" || name == "STRPOS") {
    return {"searched for in a text (" + name + ")", kCompared};
  }
  if ((name == "FORMAT" || name == "DEFORMAT") && call.argument == 1) {
    return {"a picture (" + name + ")", kPicture};
  }
  if (name == "RUN") return {"a command the program runs (RUN)", kName};
  return {name, ""};
}

// What a text is in a statement that is no call of its own, from its first word.
TextUse StatementUse(std::string_view code, std::size_t first, std::size_t quote) {
  std::size_t end = first;
  while (end < quote && IsNameCharacter(code[end])) ++end;
  std::string word = StatementWord(code.substr(first, end - first));
  for (const char* condition : {"IF", "ELSIF", "CASE", "LOOP", "UNTIL", "WHILE"}) {
    if (word == condition) return {"compared in a condition (" + word + ")", kCompared};
  }
  if (word == "OF" || word == "OROF")
    return {"a value compared in a CASE (" + word + ")", kCompared};
  if (word == "RETURN") return {"returned by a procedure (RETURN)", ""};
  std::size_t equals = code.find('=', first);
  std::string_view target =
      equals < quote ? code.substr(first, equals - first) : std::string_view();
  while (!target.empty() && (target.back() == ' ' || target.back() == '\t')) {
    target.remove_suffix(1);
  }
  if (!target.empty() && target.find_first_of(" \t'") == std::string_view::npos) {
    std::string upper(target);
    UpperCaseAscii(upper.data());
    bool fileName = upper.find("FILENAME") != std::string::npos || upper.ends_with("PATH");
    // Name = 'Text', ?Ctl{PROP:Text} = ...
    return {"assigned to " + std::string(target), fileName ? kFileName : ""};
  }
  return {word, ""};
}

}  // namespace

TextUse DescribeUse(std::string_view code, std::size_t quote, bool tildePiece) {
  // A label stands in the first column; the statement comes after it.
  std::size_t start = 0;
  if (!code.empty() && code[0] != ' ' && code[0] != '\t') {
    while (start < code.size() && code[start] != ' ' && code[start] != '\t') ++start;
  }
  // The calls (and property braces) still open at the quote, innermost last, outside the strings
  // before it; a statement starts after a ';' or a THEN outside them.
  std::vector<OpenCall> calls;
  constexpr std::array<bool, 256> kMarked = Marking("'({)},;Tt");
  const std::size_t end = std::min(quote, code.size());
  for (std::size_t i = start; (i = NextMarked(code, i, end, kMarked)) < end; ++i) {
    char c = code[i];
    if (c == '\'') {
      i = code.find('\'', i + 1);  // past the string (a doubled quote opens it again)
      if (i >= end) break;
      continue;
    }
    if (c == '(') calls.push_back({NameBefore(code, i)});
    if (c == '{') calls.push_back({"{"});
    if ((c == ')' || c == '}') && !calls.empty()) calls.pop_back();
    if (c == ',' && !calls.empty()) ++calls.back().argument;
    bool then = UpperAscii(c) == 'T' && SameIgnoringAsciiCase(code.substr(i, 4), "THEN") &&
                (i == 0 || !IsNameCharacter(code[i - 1])) &&
                (i + 4 >= code.size() || !IsNameCharacter(code[i + 4]));
    if (calls.empty() && (c == ';' || then)) start = i + (then ? 4 : 1);
  }
  std::string attribute;
  if (!calls.empty()) {
    std::string innermost = StatementWord(calls.back().name);
    if (innermost == "TIP" || innermost == "MSG" ||
        (innermost == "FORMAT" && calls.back().argument == 0)) {
      attribute = innermost == "FORMAT" && tildePiece ? "FORMAT column header" : innermost;
      calls.pop_back();
    }
  }
  while (!calls.empty() && (calls.back().name.empty() || HandsOn(calls.back().name))) {
    calls.pop_back();
  }
  TextUse use;
  if (!calls.empty()) {
    use = ArgumentUse(calls.back());
  } else {
    std::size_t first = start;
    while (first < code.size() && IsBlank(code[first])) ++first;
    use = StatementUse(code, first < code.size() ? std::min(first, quote) : quote, quote);
    // A literal on a line of its own after a line break: the attribute alone tells what it is.
    if (attribute.starts_with(use.described)) use.described.clear();
  }
  for (std::string_view part : {std::string_view(attribute), UseAttribute(code)}) {
    if (part.empty()) continue;
    if (!use.described.empty()) use.described += ", ";
    use.described += part;
  }
  return use;
}

std::string ProgramMatterNote(std::string_view text) {
  if (LooksLikeSql(text)) return "looks like SQL: leave it unless users see it";
  if (std::any_of(text.begin(), text.end(), IsBlank)) return {};
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
