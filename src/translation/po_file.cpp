#include "translation/po_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <unordered_set>
#include <utility>

#include "common/ascii.h"
#include "translation/utf8.h"

namespace {

// ----- Writing

void AppendEscaped(std::string& out, std::string_view characters) {
  for (std::size_t at = 0; at < characters.size(); ++at) {
    // The characters written as they are, all at once.
    std::size_t plain = at;
    while (plain < characters.size() && characters[plain] != '\\' && characters[plain] != '"' &&
           !IsControlCharacter(characters[plain])) {
      ++plain;
    }
    out.append(characters, at, plain - at);
    if ((at = plain) == characters.size()) return;
    char c = characters[at];
    constexpr std::string_view kEscaped = "\\\"\n\t\r\a\b\f\v";
    constexpr std::string_view kEscapes = "\\\"ntrabfv";
    if (std::size_t index = kEscaped.find(c); index != std::string_view::npos) {
      out += '\\';
      out += kEscapes[index];
    } else {
      char octal[8];
      std::snprintf(octal, sizeof octal, "\\%03o",
                    static_cast<unsigned>(static_cast<unsigned char>(c)));
      out += octal;
    }
  }
}

// `keyword "value"`, or `keyword ""` and one quoted line per line of a value that holds a line
// feed before its end.
void AppendString(std::string& out, std::string_view keyword, std::string_view value) {
  out += keyword;
  std::size_t lineFeed = value.find('\n');
  if (lineFeed == std::string_view::npos || lineFeed + 1 == value.size()) {
    out += " \"";
    AppendEscaped(out, value);
    out += "\"\n";
    return;
  }
  out += " \"\"\n";
  while (!value.empty()) {
    lineFeed = value.find('\n');
    std::size_t length = lineFeed == std::string_view::npos ? value.size() : lineFeed + 1;
    out += '"';
    AppendEscaped(out, value.substr(0, length));
    out += "\"\n";
    value.remove_prefix(length);
  }
}

std::string HeaderField(std::string_view name, std::string_view value) {
  std::string field(name);
  field += ": ";
  for (char c : value) field += IsControlCharacter(c) ? ' ' : c;
  return field + "\n";
}

// A file name as a "#:" reference gives it: a control character as a blank, and a name that
// holds a blank between U+2068 and U+2069 (first strong isolate, pop directional isolate), as
// gettext writes it since 0.22, so that tools that split references at blanks find one name.
std::string ReferenceName(std::string_view name) {
  std::string shown;
  for (char c : name) shown += IsControlCharacter(c) ? ' ' : c;
  if (shown.find(' ') == std::string::npos) return shown;
  return "\xE2\x81\xA8" + shown + "\xE2\x81\xA9";
}

// "#: " lines holding the references, FILE:LINE each, a line cut before it would pass 79
// columns as gettext's tools cut it. A large source tree has millions of references: they are
// written straight into room made for the longest each can be, not appended piece by piece.
void AppendReferences(std::string& out, std::span<const PoReference> references,
                      const std::vector<std::string>& files, std::size_t longestFile) {
  constexpr std::ptrdiff_t kWidth = 79;
  constexpr std::size_t kMostBesidesFile = 16;  // line break, "#: ", ':', ten digits
  if (references.empty()) return;
  std::size_t start = out.size();
  out.resize(start + references.size() * (longestFile + kMostBesidesFile) + 1);
  char* to = out.data() + start;
  char* lineStart = to;
  for (const PoReference& reference : references) {
    std::string_view file =
        reference.file < files.size() ? std::string_view(files[reference.file]) : "?";
    char digits[12];
    auto length = std::to_chars(digits, digits + sizeof digits, reference.line).ptr - digits;
    bool first = to == lineStart;
    if (!first &&
        (to - lineStart) + 2 + static_cast<std::ptrdiff_t>(file.size()) + length > kWidth) {
      *to++ = '\n';
      lineStart = to;
      first = true;
    }
    to = first ? std::copy_n("#: ", 3, to) : std::copy_n(" ", 1, to);
    to = std::copy(file.begin(), file.end(), to);
    *to++ = ':';
    to = std::copy_n(digits, length, to);
  }
  *to++ = '\n';
  out.resize(static_cast<std::size_t>(to - out.data()));
}

void AppendEntry(std::string& out, const PoEntry& entry, const std::vector<std::string>& files,
                 std::size_t longestFile) {
  for (const std::string& comment : entry.comments) {
    out += "#. ";
    std::size_t start = out.size();
    out += comment;
    std::replace_if(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), IsControlCharacter,
                    ' ');
    out += '\n';
  }
  AppendReferences(out, entry.references, files, longestFile);
  if (entry.fuzzy) out += "#, fuzzy\n";
  if (entry.previousId) {
    std::string previous;
    AppendString(previous, "msgid", *entry.previousId);
    for (std::size_t start = 0; start < previous.size();) {
      std::size_t end = previous.find('\n', start) + 1;
      out += "#| ";
      out.append(previous, start, end - start);
      start = end;
    }
  }
  if (entry.context) AppendString(out, "msgctxt", *entry.context);
  AppendString(out, "msgid", entry.id);
  if (!entry.plural) {
    AppendString(out, "msgstr", entry.translation);
    return;
  }
  AppendString(out, "msgid_plural", entry.pluralId);
  for (std::size_t i = 0; i < entry.pluralTranslations.size(); ++i) {
    AppendString(out, "msgstr[" + std::to_string(i) + "]", entry.pluralTranslations[i]);
  }
}

// ----- Reading

std::string_view TrimmedLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

int OctalDigit(char c) {
  return c >= '0' && c <= '7' ? c - '0' : -1;
}

// The charset a header's Content-Type names, or none.
std::optional<std::string> HeaderCharset(std::string_view header) {
  constexpr std::string_view kCharset = "charset=";
  std::size_t at = header.find(kCharset);
  if (at == std::string_view::npos) return std::nullopt;
  header.remove_prefix(at + kCharset.size());
  std::size_t end = header.find_first_of(" \t\n;");
  return std::string(header.substr(0, end));
}

// How many entries a file holds at most: one per msgid line.
std::size_t CountEntries(std::string_view bytes) {
  std::size_t count = 0;
  while (!bytes.empty()) count += TrimmedLeft(TakeLine(bytes)).starts_with("msgid");
  return count;
}

class PoReader {
 public:
  PoDocument Read(std::string_view bytes) {
    if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
    // A large file's entries are most of the memory an import takes: no room to spare.
    document_.entries.reserve(CountEntries(bytes));
    std::size_t number = 0;
    holdsNul_ = bytes.find('\0') != std::string_view::npos;
    while (!bytes.empty()) ReadLine(TakeLine(bytes), ++number);
    EndEntry();
    if (header_) document_.header = header_->translation;
    CheckEncoding();
    SortByLine(document_.problems);
    return std::move(document_);
  }

 private:
  // Where the strings of a continuation line go.
  enum class Target { kNone, kDiscard, kContext, kId, kPluralId, kTranslation, kPlural };

  struct Entry {
    PoEntry entry;
    bool hasContext = false, hasId = false, hasPluralId = false, hasTranslation = false;
    bool broken = false;
    bool Started() const { return hasContext || hasId; }
  };

  void Problem(std::size_t line, std::string message) {
    document_.problems.push_back({line, Severity::kError, std::move(message)});
  }

  // Marks the entry in hand as not to be taken, and sends its further strings nowhere.
  void Broken(std::size_t line, std::string message) {
    Problem(line, std::move(message));
    current_.broken = true;
    target_ = Target::kDiscard;
  }

  void ReadLine(std::string_view line, std::size_t number) {
    if (holdsNul_ && line.find('\0') != std::string_view::npos) {
      // Read on as if the NUL were a blank, so that the lines after it are understood.
      Problem(number, "line holds a NUL byte");
      std::string readable(line);
      std::replace(readable.begin(), readable.end(), '\0', ' ');
      ReadLine(readable, number);
      current_.broken = true;
      return;
    }
    std::string_view rest = TrimmedLeft(line);
    if (rest.empty()) return;
    if (rest.front() == '#') {
      EndEntry();
      if (rest.starts_with("#,")) TakeFlags(rest.substr(2));
      // Flags before an obsolete entry are its own.
      if (rest.starts_with("#~")) pendingFuzzy_ = false;
      return;
    }
    if (rest.front() == '"') {
      if (target_ == Target::kNone) {
        Problem(number, "string without a keyword before it");
        target_ = Target::kDiscard;
      }
      std::string value;
      if (ReadStrings(rest, number, value)) Append(std::move(value));
      return;
    }
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]) && rest[end] != '"') ++end;
    TakeKeyword(rest.substr(0, end), rest.substr(end), number);
  }

  void TakeFlags(std::string_view flags) {
    while (!flags.empty()) {
      std::size_t comma = flags.find(',');
      std::string_view flag = TrimmedLeft(flags.substr(0, comma));
      while (!flag.empty() && IsBlank(flag.back())) flag.remove_suffix(1);
      if (flag == "fuzzy") pendingFuzzy_ = true;
      flags.remove_prefix(comma == std::string_view::npos ? flags.size() : comma + 1);
    }
  }

  void TakeKeyword(std::string_view keyword, std::string_view strings, std::size_t number) {
    std::string value;
    bool readable = ReadStrings(strings, number, value);
    if (keyword == "msgctxt" || keyword == "msgid") {
      bool isContext = keyword == "msgctxt";
      if (current_.hasId || (isContext && current_.hasContext)) EndEntry();
      if (!current_.Started()) StartEntry(number);
      if (isContext) {
        current_.hasContext = true;
        target_ = Target::kContext;
        current_.entry.context.emplace();
      } else {
        current_.hasId = true;
        current_.entry.line = number;
        target_ = Target::kId;
      }
    } else if (keyword == "msgid_plural") {
      if (!current_.hasId || current_.hasPluralId || current_.hasTranslation) {
        return Broken(number, "msgid_plural out of place: it follows an entry's msgid");
      }
      current_.hasPluralId = current_.entry.plural = true;
      target_ = Target::kPluralId;
    } else if (keyword == "msgstr") {
      if (!current_.hasId || current_.hasTranslation) {
        return Broken(number, "msgstr out of place: it follows an entry's msgid");
      }
      if (current_.hasPluralId)
        return Broken(number, "a plural entry has msgstr[0], msgstr[1], ...");
      TakeTranslationLine(number);
      target_ = Target::kTranslation;
    } else if (keyword.starts_with("msgstr[") && keyword.ends_with(']')) {
      std::string expected =
          "msgstr[" + std::to_string(current_.entry.pluralTranslations.size()) + "]";
      if (!current_.hasPluralId) return Broken(number, Quoted(keyword) + " without msgid_plural");
      if (keyword != expected)
        return Broken(number, Quoted(keyword) + " where " + expected + " belongs");
      if (!current_.hasTranslation) TakeTranslationLine(number);
      current_.entry.pluralTranslations.emplace_back();
      target_ = Target::kPlural;
    } else {
      return Broken(number, "unknown keyword " + Quoted(keyword));
    }
    if (readable)
      Append(std::move(value));
    else
      current_.broken = true;
  }

  void StartEntry(std::size_t number) {
    current_ = Entry{};
    current_.entry.line = number;
    current_.entry.fuzzy = pendingFuzzy_;
    pendingFuzzy_ = false;
  }

  void TakeTranslationLine(std::size_t number) {
    current_.hasTranslation = true;
    current_.entry.translationLine = number;
  }

  void Append(std::string value) {
    PoEntry& entry = current_.entry;
    switch (target_) {
      case Target::kContext:
        *entry.context += value;
        break;
      case Target::kId:
        entry.id += value;
        break;
      case Target::kPluralId:
        entry.pluralId += value;
        break;
      case Target::kTranslation:
        entry.translation += value;
        break;
      case Target::kPlural:
        entry.pluralTranslations.back() += value;
        if (entry.pluralTranslations.size() == 1) entry.translation += value;
        break;
      case Target::kNone:
      case Target::kDiscard:
        break;
    }
  }

  // The strings of `text`: one or more quoted strings, blanks between them, nothing after.
  bool ReadStrings(std::string_view text, std::size_t number, std::string& value) {
    text = TrimmedLeft(text);
    if (text.empty()) {
      Problem(number, "keyword without its string");
      return false;
    }
    while (!text.empty()) {
      if (text.front() != '"') {
        Problem(number, "unexpected text after the string: " + Quoted(text));
        return false;
      }
      std::optional<std::size_t> length = ReadString(text, number, value);
      if (!length) return false;
      text = TrimmedLeft(text.substr(*length));
    }
    return true;
  }

  // Reads the string that opens `text`, appending what it stands for; its length with the
  // quotes, or none.
  std::optional<std::size_t> ReadString(std::string_view text, std::size_t number,
                                        std::string& value) {
    std::size_t at = 1;
    while (at < text.size() && text[at] != '"') {
      if (text[at] != '\\') {
        std::size_t end = at;
        while (end < text.size() && text[end] != '"' && text[end] != '\\') ++end;
        value.append(text, at, end - at);
        at = end;
        continue;
      }
      std::optional<std::size_t> next = ReadEscape(text, at, number, value);
      if (!next) return std::nullopt;
      at = *next;
    }
    if (at == text.size()) {
      Problem(number, "string without its closing quote");
      return std::nullopt;
    }
    return at + 1;
  }

  // Reads the escape sequence at `at` (a backslash); where it ends, or none.
  std::optional<std::size_t> ReadEscape(std::string_view text, std::size_t at, std::size_t number,
                                        std::string& value) {
    if (at + 1 == text.size()) {
      Problem(number, "string without its closing quote");
      return std::nullopt;
    }
    char c = text[at + 1];
    constexpr std::string_view kSimple = "ntrabfv\\\"'?";
    constexpr std::string_view kStandsFor = "\n\t\r\a\b\f\v\\\"'?";
    if (std::size_t index = kSimple.find(c); index != std::string_view::npos) {
      value += kStandsFor[index];
      return at + 2;
    }
    unsigned code = 0;
    std::size_t end = at + 1;
    if (OctalDigit(c) >= 0) {
      while (end < text.size() && end < at + 4 && OctalDigit(text[end]) >= 0) {
        code = code * 8 + static_cast<unsigned>(OctalDigit(text[end++]));
      }
    } else if (c == 'x') {
      ++end;
      while (end < text.size() && HexDigitValue(text[end]) < 16 && code <= 0xFF) {
        code = code * 16 + HexDigitValue(text[end++]);
      }
      if (end == at + 2) return BadEscape(text.substr(at, 2), number);
    } else {
      return BadEscape(text.substr(at, 2), number);
    }
    if (code > 0xFF) return BadEscape(text.substr(at, end - at), number);
    if (code == 0) {
      Problem(number, "string holds a NUL (" + std::string(text.substr(at, end - at)) + ")");
      return std::nullopt;
    }
    value += static_cast<char>(code);
    return end;
  }

  std::optional<std::size_t> BadEscape(std::string_view escape, std::size_t number) {
    Problem(number, "invalid escape sequence " + Quoted(escape));
    return std::nullopt;
  }

  void EndEntry() {
    target_ = Target::kNone;
    if (!current_.Started()) return;
    Entry entry = std::move(current_);
    current_ = Entry{};
    if (!entry.hasId) return Problem(entry.entry.line, "msgctxt without msgid");
    if (!entry.hasTranslation) return Problem(entry.entry.line, "msgid without msgstr");
    if (entry.broken) return;
    std::optional<std::size_t> first;
    if (!entry.entry.context && entry.entry.id.empty()) {
      if (!header_) {
        header_ = std::move(entry.entry);
        return;
      }
      first = header_->line;
    } else {
      // Taken, and given back when an entry of the same msgctxt and msgid came before.
      document_.entries.push_back(std::move(entry.entry));
      auto [known, isNew] = entryNumbers_.insert(document_.entries.size() - 1);
      if (isNew) return;
      first = document_.entries[*known].line;
      entry.entry = std::move(document_.entries.back());
      document_.entries.pop_back();
    }
    Problem(entry.entry.line,
            "duplicate message definition; the first is on line " + std::to_string(*first));
  }

  // The entries taken so far by their msgctxt and msgid, as numbers into the document's.
  struct SameKey {
    const std::vector<PoEntry>* entries;
    std::size_t operator()(std::size_t i) const {
      const PoEntry& entry = (*entries)[i];
      std::size_t hash = std::hash<std::string>()(entry.id);
      return entry.context ? hash ^ (std::hash<std::string>()(*entry.context) * 31 + 1) : hash;
    }
    bool operator()(std::size_t i, std::size_t j) const {
      const PoEntry &a = (*entries)[i], &b = (*entries)[j];
      return a.id == b.id && a.context == b.context;
    }
  };

  // Strings must be UTF-8, as the header says (or ASCII, a part of it).
  void CheckEncoding() {
    bool ascii = false;
    if (header_) {
      std::optional<std::string> charset = HeaderCharset(header_->translation);
      ascii = charset && SameIgnoringAsciiCase(*charset, "ASCII");
      if (charset && !ascii && !SameIgnoringAsciiCase(*charset, "UTF-8") && *charset != "CHARSET") {
        Problem(header_->line,
                "the header declares charset " + Quoted(*charset) +
                    "; only UTF-8 files are read (msgconv --to-code=UTF-8 converts)");
      }
    }
    for (const PoEntry& entry : document_.entries) {
      for (const std::string* text : {&entry.id, &entry.translation, &entry.pluralId}) {
        CheckText(*text, ascii, entry.line);
      }
      if (entry.context) CheckText(*entry.context, ascii, entry.line);
      for (const std::string& text : entry.pluralTranslations) CheckText(text, ascii, entry.line);
    }
  }

  void CheckText(std::string_view text, bool ascii, std::size_t line) {
    if (ascii) {
      for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
          return Problem(line, "a byte beyond ASCII in a file whose header declares ASCII");
        }
      }
    } else if (FindInvalidUtf8(text) != std::string_view::npos) {
      Problem(line, "invalid UTF-8 in a string of this entry");
    }
  }

  PoDocument document_;
  bool holdsNul_ = false;  // whether any line does
  Entry current_;
  Target target_ = Target::kNone;
  bool pendingFuzzy_ = false;
  std::optional<PoEntry> header_;
  std::unordered_set<std::size_t, SameKey, SameKey> entryNumbers_{
      0, SameKey{&document_.entries}, SameKey{&document_.entries}};
};

}  // namespace

std::optional<std::string> PoHeaderField(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    std::string_view line = TakeLine(header);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !SameIgnoringAsciiCase(line.substr(0, colon), name)) {
      continue;
    }
    std::string_view value = TrimmedLeft(line.substr(colon + 1));
    while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
    return std::string(value);
  }
  return std::nullopt;
}

PoDocument ReadPo(std::string_view bytes) {
  return PoReader().Read(bytes);
}

void WritePo(const PoHeader& header, const std::vector<PoEntry>& entries,
             const std::function<void(std::string_view)>& write) {
  std::string fields = HeaderField("Project-Id-Version", header.projectName);
  if (!header.creationDate.empty()) fields += HeaderField("POT-Creation-Date", header.creationDate);
  fields += HeaderField("PO-Revision-Date", header.revisionDate) +
            HeaderField("Last-Translator", "") + HeaderField("Language-Team", "");
  if (header.language) fields += HeaderField("Language", *header.language);
  fields +=
      "MIME-Version: 1.0\n"
      "Content-Type: text/plain; charset=UTF-8\n"
      "Content-Transfer-Encoding: 8bit\n";
  if (!header.generator.empty()) fields += HeaderField("X-Generator", header.generator);
  if (!header.codePage.empty()) fields += HeaderField(kCodePageField, header.codePage);
  constexpr std::size_t kPiece = 1 << 16;
  std::vector<std::string> files;
  std::size_t longestFile = 1;  // "?" stands for a file the list does not have
  for (const std::string& file : header.referenceFiles) {
    longestFile = std::max(longestFile, files.emplace_back(ReferenceName(file)).size());
  }
  std::string out;
  out.reserve(2 * kPiece);
  AppendString(out, "msgid", "");
  AppendString(out, "msgstr", fields);
  for (const PoEntry& entry : entries) {
    out += '\n';
    AppendEntry(out, entry, files, longestFile);
    if (out.size() >= kPiece) {
      write(out);
      out.clear();
    }
  }
  if (!out.empty()) write(out);
}

std::string WritePo(const PoHeader& header, const std::vector<PoEntry>& entries) {
  std::string po;
  WritePo(header, entries, [&po](std::string_view piece) { po += piece; });
  return po;
}
