// ASCII-only text helpers: letters are recognised and upper-cased by their ASCII codes, every
// other byte (including those of 0x80 and above) is left alone.
#pragma once

#include <string_view>

inline bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

inline char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Upper-cases a NUL-terminated text in place.
inline void UpperCaseAscii(char* text) {
  for (; *text != '\0'; ++text) *text = UpperAscii(*text);
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
