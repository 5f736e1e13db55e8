// ASCII-only text helpers: letters are recognised and upper-cased by their ASCII codes, every
// other byte (including those of 0x80 and above) is left alone.
#pragma once

#include <cstddef>
#include <string_view>

// The byte that ends a text file written by DOS-era tools wherever it stands.
constexpr char kEndOfFileByte = 0x1A;

inline bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

// A blank between tokens: a space or a tab.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The control characters: 0 to 31, and 127.
inline bool IsControlCharacter(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte < 32 || byte == 127;
}

// The value of a hexadecimal digit, or 16 for any other character.
inline unsigned HexDigitValue(char c) {
  if (IsAsciiDigit(c)) return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return 16;
}

inline char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Upper-cases a NUL-terminated text in place.
inline void UpperCaseAscii(char* text) {
  for (; *text != '\0'; ++text) *text = UpperAscii(*text);
}

// Equal but for the case of ASCII letters.
inline bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

// Whether `text` ends in `ending`, but for the case of ASCII letters.
inline bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         SameIgnoringAsciiCase(text.substr(text.size() - ending.size()), ending);
}

// Takes the next line off `text` and returns it without its end, a line feed or CR LF; the last
// line needs no line feed.
inline std::string_view TakeLine(std::string_view& text) {
  std::size_t lineFeed = text.find('\n');
  std::string_view line = text.substr(0, lineFeed);
  text.remove_prefix(lineFeed == std::string_view::npos ? text.size() : lineFeed + 1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

// A text is wordlike when two ASCII letters stand next to each other somewhere in it.
inline bool IsWordlike(std::string_view text) {
  bool previousIsLetter = false;
  for (char c : text) {
    bool isLetter = IsAsciiLetter(c);
    if (isLetter && previousIsLetter) return true;
    previousIsLetter = isLetter;
  }
  return false;
}
