// The content of a Clarion string literal (what stands between its quotes) and the single-byte
// characters it stands for: '' is one quote, <13,10> and <0Dh> are character codes, {n} repeats
// the character before it so that it stands n times in all, << and {{ are one < or {.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The characters `content` stands for. Anything malformed (a lone quote, a < or { that opens no
// valid code or repeat count, a repeat count at the start or right after another one) is kept
// as written, character by character, and never refused.
std::string DecodeNotation(std::string_view content);

// The content that stands for `characters`: quotes, < and { doubled, control characters (0 to
// 31 and 127) as codes with consecutive ones in one group (<13,10>), every other byte
// unchanged. DecodeNotation gives `characters` back.
std::string EncodeNotation(std::string_view characters);

// How characters are shown to translators, where a file may hold no control character but tab
// and line feed (gettext's tools warn about every carriage return) and tools may garble a
// backslash: the characters themselves, except that the other control characters and '\' are
// shown as codes (<7>, <13>, <27,91>, <92>; <13,10> shows as "<13>" and a line feed), as is a
// '<' right before one of them, and a '<' that the characters after it would make read as
// a code group is doubled ("<65>" shows as "<<65>"; "a << b" and "<new>" stay as they are).
// Works on single bytes and on UTF-8 alike, since it changes only ASCII characters.
std::string ToDisplayForm(std::string_view characters);

// Whether ToDisplayForm shows `c` as a code wherever it stands.
bool IsShownAsCode(char c);

// Undoes ToDisplayForm, and reads what a translator typed the same way: a well-formed code group
// (codes 0 to 255, decimal or hexadecimal with h) gives its characters, a '<' written "<<" right
// before a code group gives one '<', everything else stands for itself.
std::string FromDisplayForm(std::string_view shown);

struct NotationProblem {
  std::size_t offset;  // of the character that starts the malformed piece
  std::string message;
};

// The first thing that keeps `content` from being well-formed literal content, or none.
std::optional<NotationProblem> FindNotationProblem(std::string_view content);

// Repeat counts above this are malformed: a short text could otherwise stand for gigabytes.
constexpr unsigned kMaxRepeatCount = 999;
