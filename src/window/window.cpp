#include "window/window.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "common/ascii.h"
#include "common/settings.h"
#include "scan/text_file.h"

namespace {

// A statement of the language: [label] KEYWORD[(values)][,ATTRIBUTE[(values)]]...
struct Attribute {
  std::string name;  // upper case
  std::vector<std::string_view> values;
};
struct Statement {
  std::string_view label;
  std::string keyword;  // upper case; "." for the short END
  std::vector<std::string_view> values;
  std::vector<Attribute> attributes;

  const Attribute* Find(std::string_view name) const {
    for (const Attribute& attribute : attributes) {
      if (attribute.name == name) return &attribute;
    }
    return nullptr;
  }
};

// The structures inside a window that hold controls and end with END.
constexpr std::string_view kStructures[] = {"SHEET", "TAB",     "GROUP", "OPTION",
                                            "MENUBAR", "MENU", "TOOLBAR", "OLE"};
// The controls whose first value is the text they show.
constexpr std::string_view kTextKinds[] = {"BUTTON", "PROMPT", "STRING", "CHECK", "RADIO", "GROUP",
                                           "OPTION", "TAB",    "MENU",   "ITEM"};
// Statements that cannot stand in a window: one left open ends before them.
constexpr std::string_view kWindowEnds[] = {"CODE",   "PROCEDURE",   "FUNCTION", "ROUTINE",
                                            "WINDOW", "APPLICATION", "REPORT"};

template <std::size_t N>
bool IsOneOf(std::string_view word, const std::string_view (&words)[N]) {
  return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string UpperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperAscii(c);
  return upper;
}

bool IsNameCharacter(char c) {
  return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == ':' || c == '?' || c == '.';
}

// The position just past the string literal that opens at `quote` (past the end when it is not
// closed).
std::size_t PastLiteral(std::string_view code, std::size_t quote) {
  for (std::size_t at = quote + 1; at < code.size(); ++at) {
    if (code[at] != '\'') continue;
    if (at + 1 < code.size() && code[at + 1] == '\'') {
      ++at;
    } else {
      return at + 1;
    }
  }
  return code.size();
}

// The values between the parenthesis at `open` and its match, split at their commas; `end` is
// set past the match.
std::vector<std::string_view> ValuesAt(std::string_view code, std::size_t open, std::size_t& end) {
  std::vector<std::string_view> values;
  int depth = 0;
  std::size_t start = open + 1;
  std::size_t at = open;
  while (at < code.size()) {
    char c = code[at];
    if (c == '\'') {
      at = PastLiteral(code, at);
      continue;
    }
    if (c == '(') ++depth;
    if (c == ')' && --depth == 0) break;
    if (c == ',' && depth == 1) {
      values.push_back(Trimmed(code.substr(start, at - start)));
      start = at + 1;
    }
    ++at;
  }
  values.push_back(Trimmed(code.substr(start, std::min(at, code.size()) - start)));
  end = std::min(at + 1, code.size());
  return values;
}

// A name and the values in parentheses after it, from `at` on.
std::string_view NameAt(std::string_view code, std::size_t& at) {
  while (at < code.size() && IsBlank(code[at])) ++at;
  std::size_t start = at;
  while (at < code.size() && IsNameCharacter(code[at])) ++at;
  return code.substr(start, at - start);
}

std::vector<std::string_view> ValuesAfter(std::string_view code, std::size_t& at) {
  while (at < code.size() && IsBlank(code[at])) ++at;
  if (at >= code.size() || code[at] != '(') return {};
  return ValuesAt(code, at, at);
}

Statement Parse(std::string_view code) {
  Statement statement;
  std::size_t at = 0;
  if (!code.empty() && !IsBlank(code[0])) statement.label = NameAt(code, at);
  while (at < code.size() && IsBlank(code[at])) ++at;
  if (at < code.size() && code[at] == '.') {
    statement.keyword.push_back('.');
    return statement;
  }
  statement.keyword = UpperCased(NameAt(code, at));
  statement.values = ValuesAfter(code, at);
  for (;;) {
    while (at < code.size() && code[at] != ',') {
      at = code[at] == '\'' ? PastLiteral(code, at) : at + 1;
    }
    if (at >= code.size()) break;
    ++at;
    Attribute attribute;
    attribute.name = UpperCased(NameAt(code, at));
    attribute.values = ValuesAfter(code, at);
    if (!attribute.name.empty()) statement.attributes.push_back(std::move(attribute));
  }
  return statement;
}

// The content of a value that is one string literal, as written between its quotes.
std::optional<std::string> LiteralContent(std::string_view value) {
  if (value.size() < 2 || value.front() != '\'' || PastLiteral(value, 0) != value.size() ||
      value.back() != '\'') {
    return std::nullopt;
  }
  return std::string(value.substr(1, value.size() - 2));
}

std::optional<int> Number(std::string_view value) {
  int number = 0;
  const char* end = value.data() + value.size();
  auto [stop, error] = std::from_chars(value.data() + (value.starts_with('+') ? 1 : 0), end, number);
  if (error != std::errc() || stop != end) return std::nullopt;
  return number;
}

Position PositionOf(const Statement& statement) {
  Position position;
  const Attribute* at = statement.Find("AT");
  if (at == nullptr) return position;
  std::optional<int>* parts[] = {&position.x, &position.y, &position.width, &position.height};
  for (std::size_t i = 0; i < at->values.size() && i < 4; ++i) *parts[i] = Number(at->values[i]);
  return position;
}

// FONT(typeface,size,color,style,charset): what it leaves out is `inherited`'s.
Font FontOf(const Statement& statement, Font inherited) {
  const Attribute* font = statement.Find("FONT");
  if (font == nullptr) return inherited;
  const std::vector<std::string_view>& values = font->values;
  if (!values.empty()) {
    std::optional<std::string> typeface = LiteralContent(values[0]);
    if (typeface && !typeface->empty()) inherited.typeface = *typeface;
  }
  if (values.size() > 1) {
    if (std::optional<int> points = Number(values[1]); points && *points > 0) {
      inherited.points = *points;
    }
  }
  if (values.size() > 3 && !values[3].empty()) {
    // FONT:bold, or a weight of 600 and more.
    std::string style = UpperCased(values[3]);
    std::optional<int> weight = Number(values[3]);
    inherited.bold = style.find("BOLD") != std::string::npos || (weight && *weight >= 600);
  }
  return inherited;
}

std::vector<std::string> FlagsOf(const Statement& statement) {
  std::vector<std::string> flags;
  for (const Attribute& attribute : statement.attributes) flags.push_back(attribute.name);
  return flags;
}

std::optional<std::string> TextOf(const Statement& statement) {
  if (statement.values.empty()) return std::nullopt;
  return LiteralContent(statement.values[0]);
}

// The line's code: without its comment, and without the bar that continues it on the next line
// (`continued` tells whether there was one).
std::string_view CodeOf(std::string_view line, bool& continued) {
  std::size_t at = 0;
  while (at < line.size() && line[at] != '!') {
    at = line[at] == '\'' ? PastLiteral(line, at) : at + 1;
  }
  std::string_view code = line.substr(0, std::min(at, line.size()));
  while (!code.empty() && IsBlank(code.back())) code.remove_suffix(1);
  continued = !code.empty() && code.back() == '|';
  if (continued) code.remove_suffix(1);
  return code;
}

// A statement continued over more lines than this is read as ended there.
constexpr std::size_t kMaxStatementLength = 64 * kLineSize;

}  // namespace

bool Control::Has(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::string Control::Name() const {
  return use.empty() ? kind : kind + " " + use;
}

bool Window::Has(std::string_view flag) const {
  return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

void WindowReader::AddLine(std::string_view line, std::size_t number) {
  bool continued = false;
  std::string_view code = CodeOf(line, continued);
  if (pending_.empty()) pendingLine_ = number;
  pending_ += code;
  if (continued && pending_.size() < kMaxStatementLength) return;
  std::string statement = std::move(pending_);
  pending_.clear();
  AddStatement(statement, pendingLine_);
}

void WindowReader::AddStatement(std::string_view code, std::size_t number) {
  if (Trimmed(code).empty()) return;
  Statement statement = Parse(code);
  const std::string& keyword = statement.keyword;
  if (inWindow_ && IsOneOf(keyword, kWindowEnds)) inWindow_ = false;
  if (inWindow_) {
    Window& window = windows_.back();
    if (keyword == "END" || keyword == ".") {
      if (open_.empty()) {
        inWindow_ = false;
      } else {
        open_.pop_back();
      }
      return;
    }
    Control control;
    control.kind = keyword;
    if (!open_.empty()) control.parent = open_.back();
    const Attribute* use = statement.Find("USE");
    if (use != nullptr && !use->values.empty()) control.use = use->values[0];
    if (IsOneOf(keyword, kTextKinds)) control.text = TextOf(statement);
    control.at = PositionOf(statement);
    control.font = FontOf(statement, control.parent ? window.controls[*control.parent].font
                                                    : window.font);
    if (const Attribute* angle = statement.Find("ANGLE"); angle && !angle->values.empty()) {
      if (std::optional<int> tenths = Number(angle->values[0])) {
        control.angle = (*tenths % 3600 + 3600) % 3600;
      }
    }
    control.line = number;
    control.flags = FlagsOf(statement);
    window.controls.push_back(std::move(control));
    if (IsOneOf(keyword, kStructures)) open_.push_back(window.controls.size() - 1);
    return;
  }
  if (keyword == "CODE") declarations_ = 0;
  if (declarations_ > 0) {
    if (keyword == "MODULE") ++declarations_;
    if (keyword == "END" || keyword == ".") --declarations_;
    return;
  }
  if (keyword == "MAP" || keyword == "CLASS" || keyword == "INTERFACE") {
    declarations_ = 1;
  } else if ((keyword == "PROCEDURE" || keyword == "FUNCTION") && !statement.label.empty()) {
    procedure_ = statement.label;
  } else if ((keyword == "WINDOW" || keyword == "APPLICATION") && !statement.label.empty()) {
    Window window;
    window.kind = keyword;
    window.label = statement.label;
    window.procedure = procedure_;
    window.file = file_;
    window.line = number;
    window.title = TextOf(statement);
    window.at = PositionOf(statement);
    window.font = FontOf(statement, SystemFont());
    window.flags = FlagsOf(statement);
    windows_.push_back(std::move(window));
    inWindow_ = true;
    open_.clear();
  }
}

std::vector<Window> WindowReader::Finish() {
  if (!pending_.empty()) {
    std::string statement = std::move(pending_);
    pending_.clear();
    AddStatement(statement, pendingLine_);
  }
  inWindow_ = false;
  return std::move(windows_);
}

bool ReadWindows(const std::string& file, std::vector<Window>& windows) {
  TextFile source;
  source.Open(file.c_str(), "rt");
  if (!source.IsOpen()) return false;
  source.CountLines();
  source.JoinAsCompiled();  // a control's text as the CRT file holds it, wrapped or not
  WindowReader reader(file);
  char line[kLineSize];
  while (source.ReadLine(line, sizeof line)) reader.AddLine(line, source.LineNumber());
  if (source.ReadFailed()) return false;
  for (Window& window : reader.Finish()) windows.push_back(std::move(window));
  return true;
}
